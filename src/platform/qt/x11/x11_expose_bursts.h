// Qt backend (X11): reports each new burst of Expose events the server sends a window.
// The server reports one burst per change of what is visible; Qt's own expose events
// blur that boundary (one of its own on map, timed apart from the server's).
#pragma once

#include "platform/qt/x11/x11_event_watch.h"

#include <cstdint>
#include <functional>

namespace ruvia::platform::qt {

class X11ExposeBursts : public X11EventWatch {
public:
    // `window` is asked on each event: Qt may replace the native window.
    X11ExposeBursts(std::function<uint32_t()> window, std::function<void()> burstStarted);

private:
    void heard(const xcb_generic_event_t& event, uint8_t type) override;

    std::function<uint32_t()> window_;
    std::function<void()> burstStarted_;
    uint16_t lastSequence_ = 0;
    uint16_t lastCount_ = 0;
};

}  // namespace ruvia::platform::qt
