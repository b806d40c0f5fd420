#include "platform/qt/x11/x11_session.h"

#include "platform/qt/x11/x11_attention_refusal.h"
#include "platform/qt/x11/x11_compositor.h"
#include "platform/qt/x11/x11_configure_watch.h"
#include "platform/qt/x11/x11_connection.h"
#include "platform/qt/x11/x11_expose_bursts.h"
#include "platform/qt/x11/x11_frame_put.h"
#include "platform/qt/x11/x11_press_keeper.h"
#include "platform/qt/x11/x11_release_watch.h"
#include "platform/qt/x11/x11_reply.h"
#include "platform/qt/x11/x11_withdraw_wait.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include <xcb/xcb.h>

#include <array>
#include <chrono>

namespace ruvia::platform::qt {
namespace {

// The window manager takes a frame down within a few milliseconds; past this the
// screen is read all the same rather than freezing the program.
constexpr std::chrono::milliseconds kWithdrawTimeout{200};
// Without XFixes, how often to look whether a compositor has started or stopped.
constexpr std::chrono::milliseconds kCompositorCheckInterval{1000};

}  // namespace

std::unique_ptr<X11Session> X11Session::open(Hooks hooks) {
    xcb_connection_t* connection = x11Connection();
    if (connection == nullptr) return nullptr;
    return std::unique_ptr<X11Session>(new X11Session(connection, std::move(hooks)));
}

X11Session::X11Session(xcb_connection_t* connection, Hooks hooks)
    : connection_(connection), hooks_(std::move(hooks)) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    compositor_ = std::make_unique<X11Compositor>(
        connection, screen != nullptr && screen->name().startsWith(QLatin1String("XWAYLAND")));
    if (!compositor_->watch([this] { hooks_.compositorChanged(); })) {
        compositorCheck_ = std::make_unique<QTimer>();
        QObject::connect(compositorCheck_.get(), &QTimer::timeout,
                         [this] { hooks_.compositorChanged(); });
        compositorCheck_->start(kCompositorCheckInterval);
    }
    framePut_ = std::make_unique<X11FramePut>(connection);
    releases_ = std::make_unique<X11ReleaseWatch>(connection);
    pressKeeper_ = X11PressKeeper::open(connection);
    exposeBursts_ = std::make_unique<X11ExposeBursts>(hooks_.window, hooks_.exposed);
    configureWatch_ = std::make_unique<X11ConfigureWatch>(hooks_.window, hooks_.placeChanged);
    attentionRefusal_ = std::make_unique<X11AttentionRefusal>(connection, hooks_.window);
}

X11Session::~X11Session() = default;

bool X11Session::compositing() const { return compositor_->running(); }

void X11Session::forbidShadow() const { compositor_->forbidShadow(hooks_.window()); }

bool X11Session::putFrame(const core::Image& frame, core::Area area) {
    return framePut_->put(hooks_.window(), frame, area);
}

void X11Session::keepPresses() {
    if (pressKeeper_) pressKeeper_->keep();
}

void X11Session::passOnPresses(const QWidget& mascot, std::span<const QPointer<QWidget>> above) {
    if (pressKeeper_) pressKeeper_->passOn(mascot, above);
}

std::optional<QPointF> X11Session::deviceTopLeft() const {
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    Reply<xcb_translate_coordinates_reply_t> at(xcb_translate_coordinates_reply(
        connection_, xcb_translate_coordinates(connection_, hooks_.window(), root, 0, 0),
        nullptr));
    if (!at) return std::nullopt;
    return QPointF(at->dst_x, at->dst_y);
}

void X11Session::placeAt(QPoint device) const {
    const std::array<int32_t, 2> xy{device.x(), device.y()};
    xcb_configure_window(connection_, hooks_.window(), XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y,
                         xy.data());
    xcb_flush(connection_);
}

void X11Session::waitUntilWithdrawn() {
    // A window manager that never hands a withdrawn window back makes every wait run out;
    // once that is learnt, gone means off the screen.
    const uint32_t window = hooks_.window();
    const bool learnt = withdrawals_.offScreenIsGone();
    const bool timedOut =
        qt::waitUntilWithdrawn(connection_, window, learnt ? Gone::OffScreen : Gone::HandedBack,
                               kWithdrawTimeout) == Withdrawal::TimedOut;
    // Asked only when it can teach something: each question keeps her hidden longer.
    if (!learnt) withdrawals_.waited(timedOut, timedOut && isOffScreen(connection_, window));
}

void X11Session::waitUntilMapped() {
    // A map that takes this long may have been lost to a window manager still busy with
    // the withdraw: it may hand windows back after all.
    if (qt::waitUntilMapped(connection_, hooks_.window(), kWithdrawTimeout) == Withdrawal::TimedOut)
        withdrawals_.mapTimedOut();
}

}  // namespace ruvia::platform::qt
