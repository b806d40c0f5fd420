// Qt backend, X11: where the mouse buttons really came up. The X server can hand the
// master pointer's release over late, placed where the pointer has gone since: a window
// manager's synchronous button grab freezes the master device while the physical
// device's own events go on. Those carry the place of the release itself, and they come
// first; Qt only reads the master's. Off X there is no such watch.
#pragma once

#include "platform/qt/x11/x11_event_watch.h"
#include <QPointF>

#include <array>
#include <cstdint>
#include <optional>

struct xcb_connection_t;

namespace ruvia::platform::qt {

class X11ReleaseWatch : public X11EventWatch {
public:
    // Watches the application's X events for as long as it lives.
    explicit X11ReleaseWatch(xcb_connection_t* connection);

    // Where the first release at or after server time `since` (ms) was, in device
    // pixels of the root window; none seen yet.
    std::optional<QPointF> releasedSince(uint32_t since) const;

private:
    void heard(const xcb_generic_event_t& event, uint8_t type) override;
    void remember(uint32_t time, QPointF at);

    uint8_t inputExtension_ = 0;  // the XInput extension's major opcode, 0 without it
    struct Release {
        uint32_t time = 0;
        QPointF at;
    };
    std::array<Release, 8> recent_{};  // a ring: a drag's release is always among them
    size_t next_ = 0;
    size_t count_ = 0;
};

}  // namespace ruvia::platform::qt
