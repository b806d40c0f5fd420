#include "platform/qt/x11/x11_expose_bursts.h"

#include <xcb/xcb.h>

namespace ruvia::platform::qt {

X11ExposeBursts::X11ExposeBursts(std::function<uint32_t()> window,
                                 std::function<void()> burstStarted)
    : window_(std::move(window)), burstStarted_(std::move(burstStarted)) {}

void X11ExposeBursts::heard(const xcb_generic_event_t& event, uint8_t type) {
    if (type != XCB_EXPOSE) return;
    const auto* expose = reinterpret_cast<const xcb_expose_event_t*>(&event);
    if (expose->window != window_()) return;
    // Qt takes the rest of a burst out of its queue once it sees the first, so only some
    // of a burst come here. One burst's events carry one sequence number and a falling
    // count; Qt's repaint after each burst sends requests, so the next has a new number.
    const bool continues = expose->sequence == lastSequence_ && expose->count < lastCount_;
    lastSequence_ = expose->sequence;
    lastCount_ = expose->count;
    if (!continues) burstStarted_();
}

}  // namespace ruvia::platform::qt
