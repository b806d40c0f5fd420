// Qt backend (X11): reports each new burst of Expose events the server sends a window.
// The server reports one burst per change of what is visible; Qt's own expose events
// blur that boundary (one of its own on map, timed apart from the server's).
#pragma once

#include <QAbstractNativeEventFilter>

#include <cstdint>
#include <functional>

namespace ruvia::platform::qt {

class X11ExposeBursts : public QAbstractNativeEventFilter {
public:
    // `window` is asked on each event: Qt may replace the native window.
    X11ExposeBursts(std::function<uint32_t()> window, std::function<void()> burstStarted);
    ~X11ExposeBursts() override;
    X11ExposeBursts(const X11ExposeBursts&) = delete;
    X11ExposeBursts& operator=(const X11ExposeBursts&) = delete;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override;

private:
    std::function<uint32_t()> window_;
    std::function<void()> burstStarted_;
    uint16_t lastSequence_ = 0;
    uint16_t lastCount_ = 0;
};

}  // namespace ruvia::platform::qt
