// Qt backend, X11: the one door to the X server for the mascot window. Everything the
// window needs of X that Qt does not do (the compositor's presence and the shadow hint,
// frames put straight on the window, where a release really was, presses kept while
// she is hidden, expose bursts, the server's word on her place, the attention flag, the
// withdraw and map waits) lies behind it. There is none off X: the window asks once.
#pragma once

#include "core/changed_area.h"
#include "core/image.h"
#include "core/window_manager_guards.h"

#include <QPoint>
#include <QPointF>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>

class QTimer;
class QWidget;
struct xcb_connection_t;

namespace ruvia::platform::qt {

class X11AttentionRefusal;
class X11Compositor;
class X11ConfigureWatch;
class X11ExposeBursts;
class X11FramePut;
class X11PressKeeper;
class X11ReleaseWatch;

class X11Session {
public:
    // What the session tells the window, each from inside Qt's event delivery.
    struct Hooks {
        std::function<uint32_t()> window;        // her native window now (Qt replaces it)
        std::function<void()> exposed;           // a burst of exposes began
        std::function<void()> placeChanged;      // the server moved or resized her
        std::function<void()> compositorChanged;  // a compositor may have started or stopped
    };

    // None when the program does not run on X11.
    static std::unique_ptr<X11Session> open(Hooks hooks);
    ~X11Session();
    X11Session(const X11Session&) = delete;
    X11Session& operator=(const X11Session&) = delete;

    bool compositing() const;
    // Asks compositors for no shadow around her; again after each show, on her frame too.
    void forbidShadow() const;
    // Puts `area` of `frame` on her window, 1:1 in device pixels; false when it cannot.
    bool putFrame(const core::Image& frame, core::Area area);

    // Where the release that ended a press at server time `since` really was.
    const X11ReleaseWatch& releases() const { return *releases_; }
    // While she is hidden, presses are held; at her next show they go where they belong.
    void keepPresses();
    void passOnPresses(const QWidget& mascot, std::span<const QPointer<QWidget>> above);

    // Her top-left on the server, in device pixels.
    std::optional<QPointF> deviceTopLeft() const;
    // Tells the server directly where she is, for when Qt takes her to be there already.
    void placeAt(QPoint device) const;

    // Waits until she is really gone from the screen after a hide, as this window
    // manager withdraws windows (learnt as it goes).
    void waitUntilWithdrawn();
    // Waits until she is on the screen after a show.
    void waitUntilMapped();

private:
    X11Session(xcb_connection_t* connection, Hooks hooks);

    xcb_connection_t* connection_;
    Hooks hooks_;
    std::unique_ptr<X11Compositor> compositor_;
    std::unique_ptr<QTimer> compositorCheck_;  // where the server cannot tell of changes
    std::unique_ptr<X11FramePut> framePut_;
    std::unique_ptr<X11ReleaseWatch> releases_;
    std::unique_ptr<X11PressKeeper> pressKeeper_;
    std::unique_ptr<X11ExposeBursts> exposeBursts_;
    std::unique_ptr<X11ConfigureWatch> configureWatch_;
    std::unique_ptr<X11AttentionRefusal> attentionRefusal_;
    core::WithdrawLearning withdrawals_;
};

}  // namespace ruvia::platform::qt
