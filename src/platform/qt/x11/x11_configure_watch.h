// Qt backend (X11): tells when the server or the window manager reports a new place or
// size of a window (ConfigureNotify, real or the window manager's own). Qt's own move
// events are not enough: a window moved while hidden leaves Qt's idea of its place
// behind the server's, and the window manager's next notice then looks like no change.
#pragma once

#include <QAbstractNativeEventFilter>

#include <cstdint>
#include <functional>

namespace ruvia::platform::qt {

class X11ConfigureWatch : public QAbstractNativeEventFilter {
public:
    // `window` is asked on each event: Qt may replace the native window.
    X11ConfigureWatch(std::function<uint32_t()> window, std::function<void()> configured);
    ~X11ConfigureWatch() override;
    X11ConfigureWatch(const X11ConfigureWatch&) = delete;
    X11ConfigureWatch& operator=(const X11ConfigureWatch&) = delete;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override;

private:
    std::function<uint32_t()> window_;
    std::function<void()> configured_;
};

}  // namespace ruvia::platform::qt
