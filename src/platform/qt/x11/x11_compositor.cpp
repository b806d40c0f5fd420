#include "platform/qt/x11/x11_compositor.h"

#include "platform/qt/x11/x11_compositor_watch.h"
#include "platform/qt/x11/x11_reply.h"
#include "platform/qt/x11/x11_withdraw_wait.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace ruvia::platform::qt {
namespace {

// The screen number of $DISPLAY, the one Qt's connection uses.
int defaultScreen() {
    char* host = nullptr;
    int display = 0;
    int screen = 0;
    if (xcb_parse_display(nullptr, &host, &display, &screen) == 0) screen = 0;
    std::free(host);
    return screen;
}

bool hasExtension(xcb_connection_t* c, const char* name) {
    Reply<xcb_query_extension_reply_t> reply(xcb_query_extension_reply(
        c, xcb_query_extension(c, static_cast<uint16_t>(std::strlen(name)), name), nullptr));
    return reply && reply->present;
}

}  // namespace

X11Compositor::X11Compositor(xcb_connection_t* connection, bool xwaylandOutputs)
    : connection_(connection),
      screen_(defaultScreen()),
      managerSelection_(atom(connection, "_NET_WM_CM_S" + std::to_string(screen_))),
      shadowProperty_(atom(connection, "_COMPTON_SHADOW")),
      xwayland_(xwaylandOutputs || hasExtension(connection, "XWAYLAND")) {}

X11Compositor::~X11Compositor() = default;

bool X11Compositor::watch(std::function<void()> changed) {
    // XWayland's windows are always composited: nothing to watch.
    if (xwayland_) return true;
    auto roots = xcb_setup_roots_iterator(xcb_get_setup(connection_));
    for (int i = 0; i < screen_ && roots.rem > 0; ++i) xcb_screen_next(&roots);
    if (roots.rem == 0) return false;
    watch_ = std::make_unique<X11CompositorWatch>(connection_, roots.data->root,
                                                  managerSelection_, std::move(changed));
    return watch_->watching();
}

bool X11Compositor::running() const {
    if (xwayland_) return true;
    if (managerSelection_ == XCB_ATOM_NONE) return false;
    Reply<xcb_get_selection_owner_reply_t> owner(xcb_get_selection_owner_reply(
        connection_, xcb_get_selection_owner(connection_, managerSelection_), nullptr));
    return owner && owner->owner != XCB_NONE;
}

void X11Compositor::forbidShadow(uint32_t window) const {
    if (shadowProperty_ == XCB_ATOM_NONE) return;
    const uint32_t none = 0;
    // Picom reads it from the top-level window, which is the window manager's frame.
    for (const uint32_t target : {window, topLevelOf(connection_, window)})
        if (target != 0)
            xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, target, shadowProperty_,
                                XCB_ATOM_CARDINAL, 32, 1, &none);
    xcb_flush(connection_);
}

}  // namespace ruvia::platform::qt
