#include "platform/qt/x11/x11_press_keeper.h"

#include "platform/qt/x11/x11_reply.h"
#include "platform/qt/x11/x11_withdraw_wait.h"

#include <QAbstractEventDispatcher>
#include <QRect>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <thread>

namespace ruvia::platform::qt {
namespace {

// Longer than the longest capture (two waits for the window manager that run out).
constexpr std::chrono::milliseconds kLongestHold{600};

void roundTrip(xcb_connection_t* c) {
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
}

// A window manager that sees presses on its windows first (openbox, to raise them) holds
// the pointer until it gives the press on, a few milliseconds later; a press just before
// the hide still reaches her while she is there if the hide waits this long for it.
constexpr std::chrono::milliseconds kOtherGrabWait{10};

// A synchronous grab of the pointer on the root: the next press or release, once allowed,
// stops there until this connection lets it go.
bool grabRoot(xcb_connection_t* c, xcb_window_t root) {
    constexpr uint16_t kButtons = XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE;
    const auto deadline = std::chrono::steady_clock::now() + kOtherGrabWait;
    for (;;) {
        Reply<xcb_grab_pointer_reply_t> grab(xcb_grab_pointer_reply(
            c,
            xcb_grab_pointer(c, 0, root, kButtons, XCB_GRAB_MODE_SYNC, XCB_GRAB_MODE_ASYNC,
                             XCB_NONE, XCB_NONE, XCB_CURRENT_TIME),
            nullptr));
        if (grab && grab->status == XCB_GRAB_STATUS_SUCCESS) return true;
        // A button held down over another window holds it longer; then nothing is kept.
        if (!grab || grab->status != XCB_GRAB_STATUS_ALREADY_GRABBED ||
            std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
}

// A window with its border, in the root's coordinates (device pixels).
std::optional<QRect> onRoot(xcb_connection_t* c, xcb_window_t root, xcb_window_t window) {
    Reply<xcb_get_geometry_reply_t> size(
        xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr));
    Reply<xcb_translate_coordinates_reply_t> at(xcb_translate_coordinates_reply(
        c, xcb_translate_coordinates(c, window, root, 0, 0), nullptr));
    if (!size || !at) return std::nullopt;
    const int border = size->border_width;
    return QRect(at->dst_x - border, at->dst_y - border, size->width + 2 * border,
                 size->height + 2 * border);
}

uint32_t nativeId(const QWidget& widget) {
    const QWindow* window = widget.windowHandle();
    return window != nullptr ? static_cast<uint32_t>(window->winId()) : 0;
}

}  // namespace

std::unique_ptr<X11PressKeeper> X11PressKeeper::open(xcb_connection_t* qt) {
    if (qt == nullptr) return nullptr;
    // A connection of its own: the grab and the events it brings stay out of Qt's
    // queue (Qt would count the kept press's button as held), and ending the grab cannot
    // end the one the server gives Qt's window for the replayed press.
    xcb_connection_t* own = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(own) != 0) {
        xcb_disconnect(own);
        return nullptr;
    }
    return std::unique_ptr<X11PressKeeper>(new X11PressKeeper(own, qt));
}

X11PressKeeper::X11PressKeeper(xcb_connection_t* own, xcb_connection_t* qt)
    : own_(own), qt_(qt), root_(xcb_setup_roots_iterator(xcb_get_setup(qt)).data->root) {
    giveUp_.setSingleShot(true);
    giveUp_.setInterval(kLongestHold);
    QObject::connect(&giveUp_, &QTimer::timeout, [this] { handOver(); });
    // Only an event loop with nothing left to do waits; the capture's own processing of
    // events does not.
    if (QAbstractEventDispatcher* loop = QAbstractEventDispatcher::instance())
        QObject::connect(loop, &QAbstractEventDispatcher::aboutToBlock, &giveUp_,
                         [this] { handOver(); });
}

X11PressKeeper::~X11PressKeeper() {
    handOver();
    xcb_disconnect(own_);
}

void X11PressKeeper::keep() {
    if (holding_) return;
    // Qt's requests first, so that the end of its own grab after a drag is not seen by
    // the server after this one's start.
    roundTrip(qt_);
    if (!grabRoot(own_, root_)) return;
    // A press of an earlier hold that was never looked at is no press of this one.
    takeHeldPress();
    // The pointer moves freely until the next press or release; the server holds that
    // one. Only a pointer stopped this way can have its event replayed.
    xcb_allow_events(own_, XCB_ALLOW_SYNC_POINTER, XCB_CURRENT_TIME);
    xcb_flush(own_);
    holding_ = true;
    giveUp_.start();
}

void X11PressKeeper::passOn(const QWidget& mascot, std::span<const QPointer<QWidget>> above) {
    if (!holding_) return;
    // Any press the server has given this connection is in its queue after the answer.
    roundTrip(own_);
    const std::optional<QPoint> held = takeHeldPress();
    if (held && !pressIsHers(*held, mascot, above)) handOver();
}

std::optional<QPoint> X11PressKeeper::takeHeldPress() {
    // The server stops the pointer after the first button event it gives the grab.
    std::optional<QPoint> held;
    while (xcb_generic_event_t* event = xcb_poll_for_queued_event(own_)) {
        const uint8_t type = event->response_type & 0x7F;
        if (type == XCB_BUTTON_PRESS || type == XCB_BUTTON_RELEASE) {
            const auto* button = reinterpret_cast<const xcb_button_press_event_t*>(event);
            held = QPoint(button->root_x, button->root_y);
        }
        std::free(event);
    }
    return held;
}

bool X11PressKeeper::pressIsHers(QPoint at, const QWidget& mascot,
                                 std::span<const QPointer<QWidget>> above) const {
    const auto hers = onRoot(own_, root_, nativeId(mascot));
    if (!hers || !hers->contains(at)) return false;
    // The window manager shows her on top of her band again; the windows she keeps above
    // herself get back there only later.
    for (const QPointer<QWidget>& window : above) {
        if (!window || !window->isVisible()) continue;
        const auto frame = onRoot(own_, root_, topLevelOf(own_, nativeId(*window)));
        if (frame && frame->contains(at)) return false;
    }
    return true;
}

void X11PressKeeper::handOver() {
    if (!holding_) return;
    holding_ = false;
    giveUp_.stop();
    // The held press, if any, goes to the window under it now; then nothing is held.
    // Both end only this connection's grabs, never the one Qt's window gets for the press.
    xcb_allow_events(own_, XCB_ALLOW_REPLAY_POINTER, XCB_CURRENT_TIME);
    xcb_ungrab_pointer(own_, XCB_CURRENT_TIME);
    xcb_flush(own_);
}

}  // namespace ruvia::platform::qt
