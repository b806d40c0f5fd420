#include "platform/qt/x11/x11_configure_watch.h"

#include <QCoreApplication>

#include <xcb/xcb.h>

namespace ruvia::platform::qt {

X11ConfigureWatch::X11ConfigureWatch(std::function<uint32_t()> window,
                                     std::function<void()> configured)
    : window_(std::move(window)), configured_(std::move(configured)) {
    QCoreApplication::instance()->installNativeEventFilter(this);
}

X11ConfigureWatch::~X11ConfigureWatch() {
    if (QCoreApplication::instance() != nullptr)
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool X11ConfigureWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7F) != XCB_CONFIGURE_NOTIFY) return false;
    const auto* configure = reinterpret_cast<const xcb_configure_notify_event_t*>(event);
    if (configure->window == window_()) configured_();
    return false;  // Qt still learns of it
}

}  // namespace ruvia::platform::qt
