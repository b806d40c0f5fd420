// Qt backend (X11): whether a compositing manager draws the screen, and the hint that
// keeps compositors from drawing a shadow around the mascot's rectangle.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

struct xcb_connection_t;

namespace ruvia::platform::qt {

class X11CompositorWatch;

class X11Compositor {
public:
    // `xwaylandOutputs`: the screens are XWayland's (their outputs are named XWAYLAND0,
    // ...; only newer servers also announce an XWAYLAND extension).
    X11Compositor(xcb_connection_t* connection, bool xwaylandOutputs);
    ~X11Compositor();

    // Calls `changed` from the event loop whenever a compositing manager may have started
    // or stopped. False when the server cannot tell (then ask running() from time to time).
    bool watch(std::function<void()> changed);

    // A compositing manager owns _NET_WM_CM_S<screen>, or the server is XWayland, whose
    // windows the Wayland compositor always composites. Asks the server each time: a
    // compositor may start or stop while the program runs.
    bool running() const;

    // Compton, picom and their kin draw no shadow for a window whose frame says so; the
    // others (mutter, kwin) draw none for a frameless translucent window anyway. Call it
    // again once the window manager has framed the window.
    void forbidShadow(uint32_t window) const;


private:
    xcb_connection_t* connection_;
    int screen_ = 0;
    uint32_t managerSelection_ = 0;
    std::unique_ptr<X11CompositorWatch> watch_;
    uint32_t shadowProperty_ = 0;
    bool xwayland_ = false;
};

}  // namespace ruvia::platform::qt
