#include "platform/qt/x11/x11_event_watch.h"

#include <QCoreApplication>

#include <xcb/xcb.h>

namespace ruvia::platform::qt {

X11EventWatch::X11EventWatch() { QCoreApplication::instance()->installNativeEventFilter(this); }

X11EventWatch::~X11EventWatch() {
    if (QCoreApplication::instance() != nullptr)
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool X11EventWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    heard(*event, event->response_type & 0x7F);
    return false;
}

}  // namespace ruvia::platform::qt
