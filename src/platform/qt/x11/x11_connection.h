// Qt backend: Qt's own connection to the X server, for the few things Qt does not do.
#pragma once

struct xcb_connection_t;

namespace ruvia::platform::qt {

// Null on any other platform (offscreen, Wayland).
xcb_connection_t* x11Connection();

}  // namespace ruvia::platform::qt
