// Qt backend (X11): a look at every X event Qt receives, before Qt handles it; each goes
// on to Qt unchanged. A watch looks for as long as it lives.
#pragma once

#include <QAbstractNativeEventFilter>

#include <xcb/xcb.h>

#include <cstdint>

namespace ruvia::platform::qt {

class X11EventWatch : public QAbstractNativeEventFilter {
public:
    X11EventWatch();
    ~X11EventWatch() override;
    X11EventWatch(const X11EventWatch&) = delete;
    X11EventWatch& operator=(const X11EventWatch&) = delete;

protected:
    // `type`: the event's kind, without the bit that says another client sent it.
    virtual void heard(const xcb_generic_event_t& event, uint8_t type) = 0;

private:
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) final;
};

}  // namespace ruvia::platform::qt
