// Qt backend (X11): tells when the server or the window manager reports a new place or
// size of a window (ConfigureNotify, real or the window manager's own). Qt's own move
// events are not enough: a window moved while hidden leaves Qt's idea of its place
// behind the server's, and the window manager's next notice then looks like no change.
#pragma once

#include "platform/qt/x11/x11_event_watch.h"

#include <cstdint>
#include <functional>

namespace ruvia::platform::qt {

class X11ConfigureWatch : public X11EventWatch {
public:
    // `window` is asked on each event: Qt may replace the native window.
    X11ConfigureWatch(std::function<uint32_t()> window, std::function<void()> configured);

private:
    void heard(const xcb_generic_event_t& event, uint8_t type) override;

    std::function<uint32_t()> window_;
    std::function<void()> configured_;
};

}  // namespace ruvia::platform::qt
