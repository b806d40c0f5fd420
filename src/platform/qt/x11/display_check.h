// Qt backend: choosing and checking the window system before Qt starts, so that a
// missing display ends the program with one clear line instead of Qt's abort.
#pragma once

#include <optional>
#include <string>

namespace ruvia::platform::qt {

// The line to print when there is no display to run on; nothing when there is one.
std::optional<std::string> displayProblem();

// Selects Qt's X11 platform when an X display is set and the user chose no platform:
// only there can the screen behind the window be read (XWayland included).
void preferX11();

}  // namespace ruvia::platform::qt
