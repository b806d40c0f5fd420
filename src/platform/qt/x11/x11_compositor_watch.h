// Qt backend (X11): says when a compositing manager starts or stops on the screen, from
// the server's own notice of a new owner of the manager's selection. Nothing runs while
// nothing changes, so a resting mascot costs no wake-ups.
#pragma once

#include "platform/qt/x11/x11_event_watch.h"

#include <cstdint>
#include <functional>

struct xcb_connection_t;

namespace ruvia::platform::qt {

class X11CompositorWatch : public X11EventWatch {
public:
    // `managerSelection`: the _NET_WM_CM_S<n> atom of the screen whose root is `root`.
    X11CompositorWatch(xcb_connection_t* connection, uint32_t root, uint32_t managerSelection,
                       std::function<void()> changed);

    // False when the server lacks the XFixes extension: then nobody says so and the
    // caller has to look for itself.
    bool watching() const { return watching_; }

private:
    void heard(const xcb_generic_event_t& event, uint8_t type) override;

    uint32_t managerSelection_;
    std::function<void()> changed_;
    uint8_t selectionNotify_ = 0;
    bool watching_ = false;
};

}  // namespace ruvia::platform::qt
