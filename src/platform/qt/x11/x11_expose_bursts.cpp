#include "platform/qt/x11/x11_expose_bursts.h"

#include <QCoreApplication>

#include <xcb/xcb.h>

namespace ruvia::platform::qt {

X11ExposeBursts::X11ExposeBursts(std::function<uint32_t()> window,
                                 std::function<void()> burstStarted)
    : window_(std::move(window)), burstStarted_(std::move(burstStarted)) {
    QCoreApplication::instance()->installNativeEventFilter(this);
}

X11ExposeBursts::~X11ExposeBursts() {
    if (QCoreApplication::instance() != nullptr)
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool X11ExposeBursts::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7F) != XCB_EXPOSE) return false;
    const auto* expose = reinterpret_cast<const xcb_expose_event_t*>(event);
    if (expose->window != window_()) return false;
    // Qt takes the rest of a burst out of its queue once it sees the first, so only some
    // of a burst come here. One burst's events carry one sequence number and a falling
    // count; Qt's repaint after each burst sends requests, so the next has a new number.
    const bool continues = expose->sequence == lastSequence_ && expose->count < lastCount_;
    lastSequence_ = expose->sequence;
    lastCount_ = expose->count;
    if (!continues) burstStarted_();
    return false;  // Qt still repaints what was exposed
}

}  // namespace ruvia::platform::qt
