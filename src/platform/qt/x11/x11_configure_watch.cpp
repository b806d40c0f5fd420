#include "platform/qt/x11/x11_configure_watch.h"

#include <xcb/xcb.h>

namespace ruvia::platform::qt {

X11ConfigureWatch::X11ConfigureWatch(std::function<uint32_t()> window,
                                     std::function<void()> configured)
    : window_(std::move(window)), configured_(std::move(configured)) {}

void X11ConfigureWatch::heard(const xcb_generic_event_t& event, uint8_t type) {
    if (type != XCB_CONFIGURE_NOTIFY) return;
    const auto& configure = reinterpret_cast<const xcb_configure_notify_event_t&>(event);
    if (configure.window == window_()) configured_();
}

}  // namespace ruvia::platform::qt
