#include "platform/qt/qt_mascot_window.h"

#include "core/changed_area.h"
#include "platform/qt/deactivation_watch.h"
#include "platform/qt/image_convert.h"
#include "platform/qt/mascot_widget.h"
#include "platform/qt/mouse_buttons.h"
#include "platform/qt/pointer_move_loop.h"
#include "platform/qt/scaled_screens.h"
#include "platform/qt/screen_grab.h"
#include "platform/qt/x11_attention_refusal.h"
#include "platform/qt/x11_compositor.h"
#include "platform/qt/x11_configure_watch.h"
#include "platform/qt/x11_connection.h"
#include "platform/qt/x11_expose_bursts.h"
#include "platform/qt/x11_frame_put.h"
#include "platform/qt/x11_release_watch.h"
#include "platform/qt/x11_press_keeper.h"
#include "platform/qt/x11_reply.h"
#include "platform/qt/x11_withdraw_wait.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <xcb/xcb.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <thread>

namespace ruvia::platform::qt {
namespace {

// The window manager takes a frame down within a few milliseconds; past this the
// screen is read all the same rather than freezing the program.
constexpr std::chrono::milliseconds kWithdrawTimeout{200};
// Withdraw waits that run out in a row, the window off the screen each time, before the
// window manager counts as one that never hands a window back.
constexpr int kKeptFramesToLearn = 2;
// Time for the windows beneath to repaint what the mascot uncovered.
constexpr std::chrono::milliseconds kRepaintAllowance{5};
// Without XFixes, how often to look whether a compositor has started or stopped.
constexpr std::chrono::milliseconds kCompositorCheckInterval{1000};

bool onWayland() { return QGuiApplication::platformName() == QLatin1String("wayland"); }

PixelPoint scenePoint(const QMouseEvent& event) {
    const QPoint p = event.position().toPoint();
    return {p.x(), p.y()};
}

}  // namespace

QtMascotWindow::QtMascotWindow(DeactivationWatch& activation)
    : widget_(std::make_unique<MascotWidget>()), activation_(activation) {
    if (xcb_connection_t* connection = x11Connection()) {
        const QScreen* screen = QGuiApplication::primaryScreen();
        compositor_ = std::make_unique<X11Compositor>(
            connection, screen != nullptr && screen->name().startsWith(QLatin1String("XWAYLAND")));
        // A compositor that stops leaves a see-through window black; one that starts
        // makes her see-through. Either way a repaint's capture changes her over.
        const auto switchIfNeeded = [this] {
            const bool seeThrough = presentation_ == Presentation::SeeThrough;
            if (widget_->isVisible() && canBeSeeThrough() != seeThrough && events.paint)
                events.paint();
        };
        if (!compositor_->watch([this, switchIfNeeded] {
                // From inside Qt's event delivery: the capture runs from the loop.
                QTimer::singleShot(0, widget_.get(), switchIfNeeded);
            })) {
            auto* check = new QTimer(widget_.get());
            QObject::connect(check, &QTimer::timeout, widget_.get(), switchIfNeeded);
            check->start(kCompositorCheckInterval);
        }
        framePut_ = std::make_unique<X11FramePut>(connection);
        releases_ = std::make_unique<X11ReleaseWatch>(connection);
        pressKeeper_ = X11PressKeeper::open(connection);
    }
    widget_->currentFrame = [this] { return frameToPaint(); };
    if (onWayland()) {
        widget_->setTranslucent(true);
        std::fputs("ruvia-mascot: on Wayland the compositor places windows, so the mascot's "
                   "position is neither restored nor kept; unset QT_QPA_PLATFORM to run "
                   "through XWayland, where it is\n",
                   stderr);
    }
    widget_->setWindowTitle(QStringLiteral("RuviaMascot"));
    reportedWidth_ = widget_->width();
    reportedHeight_ = widget_->height();
    reportedRatio_ = widget_->devicePixelRatioF();
    if (x11Connection() != nullptr) {
        // On X the server's bursts tell a show's exposes from a later uncover exactly.
        exposeGate_ = core::ExposeGate(core::ExposeSource::ServerBurst);
        exposeBursts_ = std::make_unique<X11ExposeBursts>(
            [this] { return static_cast<uint32_t>(widget_->windowHandle()->winId()); },
            [this] { exposed(true); });
        // From the event loop, once Qt has taken in the new place too.
        configureWatch_ = std::make_unique<X11ConfigureWatch>(
            [this] { return static_cast<uint32_t>(widget_->windowHandle()->winId()); },
            [this] { QTimer::singleShot(0, widget_.get(), [this] { placeChanged(); }); });
        widget_->onShown = [this] { showingAgain(); };
        attentionRefusal_ = std::make_unique<X11AttentionRefusal>(
            x11Connection(),
            [this] { return static_cast<uint32_t>(widget_->windowHandle()->winId()); });
    } else {
        widget_->onExpose = [this](bool anythingExposed) { exposed(anythingExposed); };
    }
    widget_->onPress = [this](QMouseEvent& e) { pressed(e); };
    widget_->onRelease = [this](QMouseEvent& e) { released(e); };
    widget_->onResized = [this](QSize size) {
        // Raised from the event loop, not from inside Qt's resize handling.
        QTimer::singleShot(0, widget_.get(), [this, size] {
            if (widget_->size() == size) sizeChanged(size.width(), size.height());
        });
    };
}

QtMascotWindow::~QtMascotWindow() = default;

QWidget& QtMascotWindow::widget() { return *widget_; }

void QtMascotWindow::addOwnedWindow(QWidget& owned) {
    std::erase_if(owned_, [](const QPointer<QWidget>& w) { return w.isNull(); });
    if (std::find(owned_.begin(), owned_.end(), &owned) == owned_.end())
        owned_.emplace_back(&owned);
    keepOwnedAbove();
}

// A window manager puts a window that appears on top of its band, above the windows it
// owns (openbox does), and forgets who owns whom when the owner is withdrawn for a
// capture. So owned windows share the owner's band and go back above it each time.
void QtMascotWindow::keepOwnedAbove() {
    const bool onTop = widget_->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint);
    for (const QPointer<QWidget>& owned : owned_) {
        if (!owned) continue;
        QWindow* window = owned->windowHandle();
        if (window != nullptr && window->flags().testFlag(Qt::WindowStaysOnTopHint) != onTop) {
            window->setFlag(Qt::WindowStaysOnTopHint, onTop);
            owned->overrideWindowFlags(window->flags());
        }
        if (owned->isVisible()) owned->raise();
    }
}

PixelRect QtMascotWindow::geometry() const {
    const QRect g = widget_->geometry();
    return {g.x(), g.y(), g.width(), g.height()};
}

void QtMascotWindow::move(int x, int y) {
    widget_->move(x, y);
    keptPlace_.placed(x, y);
}

void QtMascotWindow::placeChanged() {
    // The move loop places the window itself, and says where when it is done; a hidden
    // window is put back at its next show.
    if (moving_ || !widget_->isVisible()) return;
    const QPoint at = placeOnServer(widget_->size()).value_or(widget_->pos());
    if (keptPlace_.reported(at.x(), at.y(), Clock::now()) == core::PlaceReport::PutBack)
        putBack();
}

void QtMascotWindow::showingAgain() {
    keptPlace_.shown(Clock::now());
    // A window manager that took her on elsewhere last time left her there when she was
    // hidden: she is shown where she was, over what the capture read there.
    const QPoint at = placeOnServer(widget_->size()).value_or(widget_->pos());
    if (keptPlace_.reported(at.x(), at.y(), Clock::now()) == core::PlaceReport::PutBack)
        putBack();
}

void QtMascotWindow::putBack() {
    const QPoint to(keptPlace_.x(), keptPlace_.y());
    QWindow* window = widget_->windowHandle();
    if (window->position() != to) {
        window->setPosition(to);
        return;
    }
    // Qt takes her to be there already (after a move while hidden its idea can lag
    // behind the server's, and stay behind): the server is told directly.
    if (xcb_connection_t* c = x11Connection()) {
        const QPointF device = toDevicePixels(screensNow(), QPointF(to));
        const std::array<int32_t, 2> xy{static_cast<int32_t>(std::lround(device.x())),
                                        static_cast<int32_t>(std::lround(device.y()))};
        xcb_configure_window(c, static_cast<uint32_t>(window->winId()),
                             XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, xy.data());
        xcb_flush(c);
    }
}

void QtMascotWindow::resize(int width, int height) {
    // Her only size: window managers that tile float a window whose least and largest
    // sizes are one, and the others offer no resizing.
    widget_->setFixedSize(width, height);
    keptSize_.asked(width, height);
    sizeChanged(widget_->width(), widget_->height());
}

void QtMascotWindow::sizeChanged(int width, int height) {
    if (width == reportedWidth_ && height == reportedHeight_) return;
    // The move loop keeps the size itself.
    if (moving_) return;
    const qreal ratio = widget_->devicePixelRatioF();
    if (ratio != reportedRatio_ || rescaledBetweenScreens(QSize(width, height))) {
        // Moved onto a screen of another scale, Qt kept the size in device pixels (or
        // took it through the old screen's scale); the window keeps the logical size its
        // layout gave it instead.
        reportedRatio_ = ratio;
        keepLogicalSize();
        return;
    }
    // A size she did not ask for (a tile) is put back, never laid out.
    switch (keptSize_.reported(width, height)) {
        case core::SizeReport::PutBack: widget_->resize(reportedWidth_, reportedHeight_); return;
        case core::SizeReport::LetBe: return;
        case core::SizeReport::AsAsked: break;
    }
    reportedWidth_ = width;
    reportedHeight_ = height;
    if (events.resize) events.resize();
}

bool QtMascotWindow::rescaledBetweenScreens(QSize size) const {
    const std::vector<ScaledScreen> screens = screensNow();
    const auto near = [](double a, double b) { return std::abs(a - b) <= 1.0; };
    for (const ScaledScreen& from : screens)
        for (const ScaledScreen& to : screens)
            if (from.factor != to.factor &&
                near(size.width(), reportedWidth_ * from.factor / to.factor) &&
                near(size.height(), reportedHeight_ * from.factor / to.factor))
                return true;
    return false;
}

void QtMascotWindow::keepLogicalSize() {
    const QSize logical(reportedWidth_, reportedHeight_);
    // Qt first reports the size through the old screen's scale, and would size the window
    // through it too; the server knows where the window really is.
    if (const auto place = placeOnServer(logical)) {
        widget_->setGeometry(QRect(*place, logical));
        keptPlace_.placed(place->x(), place->y());
        return;
    }
    widget_->resize(logical);
}

std::optional<QPoint> QtMascotWindow::placeOnServer(QSize logical) const {
    const auto device = deviceTopLeft();
    if (!device) return std::nullopt;
    // Qt's screen for the window first, then any other that Qt would agree to.
    const std::vector<ScaledScreen> screens = screensNow();
    const int current = static_cast<int>(QGuiApplication::screens().indexOf(widget_->screen()));
    for (int i = -1; i < static_cast<int>(screens.size()); ++i) {
        const int on = i < 0 ? current : i;
        if (const auto place = logicalPlaceOn(screens, current, on, *device, logical))
            return place;
    }
    return std::nullopt;
}

std::optional<QPointF> QtMascotWindow::deviceTopLeft() const {
    xcb_connection_t* c = x11Connection();
    if (c == nullptr) return std::nullopt;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    Reply<xcb_translate_coordinates_reply_t> at(xcb_translate_coordinates_reply(
        c,
        xcb_translate_coordinates(c, static_cast<uint32_t>(widget_->windowHandle()->winId()),
                                  root, 0, 0),
        nullptr));
    if (!at) return std::nullopt;
    return QPointF(at->dst_x, at->dst_y);
}

void QtMascotWindow::show() {
    if (widget_->isVisible()) return;
    // A press made while she was away: one meant for another window goes there now, one
    // meant for her once she is back and the capture is over.
    if (pressKeeper_) pressKeeper_->passOn(*widget_, owned_);
    exposeGate_.shown(Clock::now());
    forbidShadow();
    widget_->show();
    if (xcb_connection_t* connection = x11Connection()) {
        // A map that takes this long may have been lost to a window manager still busy
        // with the withdraw: wait for it to hand the window back again.
        if (waitUntilMapped(connection, static_cast<uint32_t>(widget_->windowHandle()->winId()),
                            kWithdrawTimeout) == Withdrawal::TimedOut)
            keptFrames_ = 0;
    }
    // Again on the window manager's frame, and on the native window that Qt makes anew at
    // the first show after a stay-on-top change.
    forbidShadow();
    keepOwnedAbove();
    if (hiddenSince_) {
        lastHiddenMs_ =
            std::chrono::duration<double, std::milli>(Clock::now() - *hiddenSince_).count();
        hiddenSince_.reset();
    }
}

void QtMascotWindow::hide() {
    if (!widget_->isVisible()) return;
    if (pressKeeper_) pressKeeper_->keep();
    hiddenSince_ = Clock::now();
    widget_->hide();
    offScreenPending_ = true;
}

bool QtMascotWindow::isVisible() const { return widget_->isVisible(); }

void QtMascotWindow::forbidShadow() {
    if (compositor_) compositor_->forbidShadow(static_cast<uint32_t>(widget_->windowHandle()->winId()));
}

bool QtMascotWindow::canBeSeeThrough() const {
    // Wayland always composites, and its buffers always carry alpha.
    if (onWayland()) return true;
    return compositor_ && compositor_->running();
}

Presentation QtMascotWindow::choosePresentation() {
    const bool seeThrough = canBeSeeThrough();
    if (!onWayland() && widget_->isTranslucent() != seeThrough) {
        // The visual comes with the native window: off the screen first, so the capture
        // that may follow reads no trace of the old one.
        hide();
        waitUntilOffScreen();
        widget_->setTranslucent(seeThrough);
    }
    // A server without a visual that has alpha leaves the window opaque.
    presentation_ = seeThrough && (onWayland() || widget_->windowHandle()->format().hasAlpha())
                        ? Presentation::SeeThrough
                        : Presentation::Captured;
    if (presentation_ == Presentation::SeeThrough) deviceBackground_ = QImage();
    return presentation_;
}

bool QtMascotWindow::putsFramesDirectly() const {
    // Scaled frames are laid over device pixels first; Qt does that part.
    return framePut_ && deviceBackground_.isNull() && widget_->devicePixelRatioF() == 1.0;
}

void QtMascotWindow::present(const core::Image& frame) {
    const core::Area changed = core::changedArea(shown_, frame);
    shown_ = frame;
    if (putsFramesDirectly()) {
        widget_->framePutElsewhere();
        // A hidden window gets the frame from its paint when it is shown again.
        if (!widget_->isVisible() || changed.empty()) return;
        if (framePut_->put(static_cast<uint32_t>(widget_->windowHandle()->winId()), shown_,
                           changed))
            return;
    }
    widget_->setFrame(frameToPaint());
}

QImage QtMascotWindow::frameToPaint() const {
    if (presentation_ == Presentation::SeeThrough) return toQImage(shown_);
    if (!deviceBackground_.isNull()) return overDeviceBackground(shown_);
    // Without a compositor a window's alpha is not blended: a transparent pixel would
    // show black, so the captured presentation is painted opaque.
    return toOpaqueQImage(shown_);
}

QImage QtMascotWindow::overDeviceBackground(const core::Image& frame) const {
    QImage out = deviceBackground_.convertToFormat(QImage::Format_RGB32);
    out.setDevicePixelRatio(1.0);
    {
        QPainter painter(&out);
        // Each device pixel a copy of one logical pixel: the art stays crisp.
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter.drawImage(out.rect(), toQImage(frame));
    }
    out.setDevicePixelRatio(widget_->devicePixelRatioF());
    return out;
}

bool QtMascotWindow::copyScreenBehind(core::Image& dst, int width, int height) {
    // Other window systems (Wayland) do not let a program read the screen.
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return false;
    waitUntilOffScreen();
    // Qt's own idea of the place can be an older one for a moment: the window manager's
    // notice of each move arrives late, and two moves in a row (a drop held on both
    // axes) briefly report the first. Once withdrawn, the server has them all.
    // Where she will be shown again: a window manager may have left her elsewhere.
    const QPoint at = keptPlace_.known()
                          ? QPoint(keptPlace_.x(), keptPlace_.y())
                          : placeOnServer(widget_->size()).value_or(widget_->geometry().topLeft());
    const PixelRect area{at.x(), at.y(), width, height};
    deviceBackground_ = QImage();
    if (widget_->devicePixelRatioF() != 1.0) {
        // A logical copy of finer device pixels would be coarser than what lies behind;
        // the backend keeps the device copy and the scene's background is left clear.
        deviceBackground_ = grabDevicePixels(area);
        if (!deviceBackground_.isNull()) {
            for (int y = 0; y < std::min(height, dst.height); ++y)
                for (int x = 0; x < std::min(width, dst.width); ++x)
                    dst.at(x, y) = core::kTransparent;
            return true;
        }
    }
    return grabScreenArea(area, dst);
}

void QtMascotWindow::waitUntilOffScreen() {
    if (!offScreenPending_) return;
    offScreenPending_ = false;
    // The window's own id: QWidget::winId() keeps the first one, but Qt replaces the
    // native window on the first show after a stay-on-top change.
    if (xcb_connection_t* connection = x11Connection()) {
        // A window manager that never hands a withdrawn window back makes every wait run
        // out. Twice in a row, and gone from the screen all the same: from then on, gone
        // means off the screen.
        const auto id = static_cast<uint32_t>(widget_->windowHandle()->winId());
        const bool learned = keptFrames_ >= kKeptFramesToLearn;
        const Withdrawal withdrawal = waitUntilWithdrawn(
            connection, id, learned ? Gone::OffScreen : Gone::HandedBack, kWithdrawTimeout);
        if (!learned)
            keptFrames_ = withdrawal == Withdrawal::TimedOut && isOffScreen(connection, id)
                              ? keptFrames_ + 1
                              : 0;
    }
    std::this_thread::sleep_for(kRepaintAllowance);
}

void QtMascotWindow::runMoveLoop() {
    if (!press_) return;
    // A Wayland client cannot place its window; the compositor moves it, after this
    // returns.
    if (onWayland() && widget_->windowHandle()->startSystemMove()) {
        press_.reset();
        return;
    }
    // A capture now would hide the window and end the pointer grab; the drop captures.
    moving_ = true;
    followPointerUntilRelease(*widget_, press_->grip, QSize(reportedWidth_, reportedHeight_),
                              releases_.get(), press_->time);
    moving_ = false;
    keptPlace_.placed(widget_->x(), widget_->y());
    if (widget_->size() != QSize(reportedWidth_, reportedHeight_)) keepLogicalSize();
    reportedRatio_ = widget_->devicePixelRatioF();
    // The release ended the move; it is neither a mouse-up nor a click of the form's.
    press_.reset();
}

bool QtMascotWindow::setStayOnTop(bool on) {
    // Changes the state of the mapped window at once. QWidget::setWindowFlag would
    // recreate the window now, visibly; Qt replaces it only at its next show, which
    // comes at the end of a capture while it is hidden anyway.
    QWindow* window = widget_->windowHandle();
    window->setFlag(Qt::WindowStaysOnTopHint, on);
    widget_->overrideWindowFlags(window->flags());
    keepOwnedAbove();
    return true;
}

void QtMascotWindow::exposed(bool anythingExposed) {
    if (moving_) return;
    if (!exposeGate_.passes(widget_->isVisible(), anythingExposed, Clock::now())) return;
    if (paintQueued_) return;
    paintQueued_ = true;
    // The form's repaint hides and shows the window; it runs from the event loop, not
    // from inside Qt's delivery of the expose.
    QTimer::singleShot(0, widget_.get(), [this] {
        paintQueued_ = false;
        if (widget_->isVisible() && !moving_ && events.paint) events.paint();
    });
}

void QtMascotWindow::pressed(const QMouseEvent& event) {
    const auto button = toMouseButton(event.button());
    if (!button) return;
    activation_.mascotPressed();
    const QPoint global = event.globalPosition().toPoint();
    press_ = Press{*button, global.x(), global.y(), event.position(),
                   static_cast<uint32_t>(event.timestamp())};
    if (events.mouseDown) events.mouseDown(*button, scenePoint(event), {global.x(), global.y()});
}

void QtMascotWindow::released(const QMouseEvent& event) {
    const auto button = toMouseButton(event.button());
    if (!button) return;
    const QPoint global = event.globalPosition().toPoint();
    press_.reset();
    if (events.mouseUp) events.mouseUp(*button, scenePoint(event), {global.x(), global.y()});
}

}  // namespace ruvia::platform::qt
