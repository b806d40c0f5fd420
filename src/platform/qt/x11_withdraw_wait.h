// Qt backend (X11): waits until a hidden window is really gone from the screen.
// Unmapping is asynchronous and a reparenting window manager takes the frame down
// later still; a screen read before that copies the window itself.
#pragma once

#include <chrono>
#include <cstdint>

struct xcb_connection_t;

namespace ruvia::platform::qt {

enum class Withdrawal { Done, TimedOut };

// Polls the server until neither `window` nor the frame it sits in is viewable, or
// until `timeout` has passed. Returns at once for a window that was never mapped.
Withdrawal waitUntilWithdrawn(xcb_connection_t* connection, uint32_t window,
                              std::chrono::milliseconds timeout);

}  // namespace ruvia::platform::qt
