#include "platform/qt/x11/display_check.h"

#include <xcb/xcb.h>

#include <cstdlib>

namespace ruvia::platform::qt {
namespace {

const char* nonEmptyEnv(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : nullptr;
}

bool x11Reachable() {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    const bool ok = xcb_connection_has_error(c) == 0;
    xcb_disconnect(c);
    return ok;
}

bool usesX11() {
    const char* platform = nonEmptyEnv("QT_QPA_PLATFORM");
    return platform == nullptr || std::string(platform).starts_with("xcb");
}

}  // namespace

std::optional<std::string> displayProblem() {
    const char* display = nonEmptyEnv("DISPLAY");
    if (display == nullptr && nonEmptyEnv("WAYLAND_DISPLAY") == nullptr)
        return "ruvia-mascot: no display: set DISPLAY to an X server "
               "(for example run it inside xvfb-run)";
    if (display != nullptr && usesX11() && !x11Reachable())
        return std::string("ruvia-mascot: cannot connect to the X server at DISPLAY=") +
               display;
    return std::nullopt;
}

void preferX11() {
    if (nonEmptyEnv("DISPLAY") != nullptr && nonEmptyEnv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "xcb", 1);
}

}  // namespace ruvia::platform::qt
