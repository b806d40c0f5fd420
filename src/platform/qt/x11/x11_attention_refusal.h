// Qt backend (X11): keeps the window manager's "demands attention" mark off a window.
// A window mapped with a user time of 0 (the way to say "do not give me the focus")
// is marked by KWin as one that wants attention every time it is mapped, so a mascot
// that hides and shows for each capture would flash in the task bar for good. The mark
// is taken off again the moment the window manager sets it.
#pragma once

#include "platform/qt/x11/x11_event_watch.h"

#include <cstdint>
#include <functional>

struct xcb_connection_t;

namespace ruvia::platform::qt {

class X11AttentionRefusal : public X11EventWatch {
public:
    // `window` is asked on each event: Qt may replace the native window.
    X11AttentionRefusal(xcb_connection_t* connection, std::function<uint32_t()> window);

private:
    void heard(const xcb_generic_event_t& event, uint8_t type) override;
    bool demandsAttention(uint32_t window) const;
    void withdraw(uint32_t window) const;

    xcb_connection_t* connection_;
    std::function<uint32_t()> window_;
    uint32_t root_ = 0;
    uint32_t wmState_ = 0;
    uint32_t demandsAttention_ = 0;
};

}  // namespace ruvia::platform::qt
