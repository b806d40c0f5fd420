#include "platform/qt/qt_mascot_window.h"

#include "platform/qt/deactivation_watch.h"
#include "platform/qt/mascot_widget.h"
#include "platform/qt/mouse_buttons.h"
#include "platform/qt/pointer_move_loop.h"
#include "platform/qt/qt_mascot_framebuffer.h"
#include "platform/qt/x11/x11_session.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace ruvia::platform::qt {
namespace {

PixelPoint scenePoint(const QMouseEvent& event) {
    const QPoint p = event.position().toPoint();
    return {p.x(), p.y()};
}

}  // namespace

QtMascotWindow::QtMascotWindow(DeactivationWatch& activation)
    : widget_(std::make_unique<MascotWidget>()),
      onWayland_(QGuiApplication::platformName() == QLatin1String("wayland")),
      activation_(activation) {
    x11_ = X11Session::open({
        .window = [this] { return nativeId(); },
        .exposed = [this] { exposed(true); },
        // From the event loop, once Qt has taken in the new place too.
        .placeChanged = [this] { QTimer::singleShot(0, widget_.get(), [this] { placeChanged(); }); },
        // From inside Qt's event delivery: the capture runs from the loop.
        .compositorChanged =
            [this] { QTimer::singleShot(0, widget_.get(), [this] { compositorMayHaveChanged(); }); },
    });
    framebuffer_ = std::make_unique<QtMascotFramebuffer>(*widget_, x11_.get());
    if (onWayland_) {
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
    if (x11_) {
        // On X the server's bursts tell a show's exposes from a later uncover exactly.
        exposeGate_ = core::ExposeGate(core::ExposeSource::ServerBurst);
        widget_->onShown = [this] { showingAgain(); };
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

// The window's own id now: QWidget::winId() keeps the first one, but Qt replaces the
// native window on the first show after a stay-on-top change.
uint32_t QtMascotWindow::nativeId() const {
    return static_cast<uint32_t>(widget_->windowHandle()->winId());
}

// A compositor that stops leaves a see-through window black; one that starts makes her
// see-through. Either way a repaint's capture changes her over.
void QtMascotWindow::compositorMayHaveChanged() {
    const bool seeThrough = framebuffer_->presentation() == Presentation::SeeThrough;
    if (widget_->isVisible() && canBeSeeThrough() != seeThrough && events.paint) events.paint();
}

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

void QtMascotWindow::show() {
    if (widget_->isVisible()) return;
    // A press made while she was away: one meant for another window goes there now, one
    // meant for her once she is back and the capture is over.
    if (x11_) x11_->passOnPresses(*widget_, owned_);
    exposeGate_.shown(Clock::now());
    forbidShadow();
    widget_->show();
    if (x11_) x11_->waitUntilMapped();
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
    if (x11_) x11_->keepPresses();
    hiddenSince_ = Clock::now();
    widget_->hide();
    offScreenPending_ = true;
}

bool QtMascotWindow::isVisible() const { return widget_->isVisible(); }

void QtMascotWindow::forbidShadow() {
    if (x11_) x11_->forbidShadow();
}

bool QtMascotWindow::canBeSeeThrough() const {
    // Wayland always composites, and its buffers always carry alpha.
    if (onWayland_) return true;
    return x11_ && x11_->compositing();
}

int QtMascotWindow::pixelFactor() const {
    // Qt's scale is a whole number (see pixel_scale.h) unless QT_SCALE_FACTOR says
    // otherwise; a fractional one is left to Qt's painting.
    const qreal ratio = widget_->devicePixelRatioF();
    const int whole = static_cast<int>(std::lround(ratio));
    return whole >= 1 && ratio == whole ? whole : 1;
}

void QtMascotWindow::present(const core::Image& deviceFrame) {
    framebuffer_->present(deviceFrame, pixelFactor());
}

void QtMascotWindow::runMoveLoop() {
    if (!press_) return;
    // A Wayland client cannot place its window; the compositor moves it, after this
    // returns.
    if (onWayland_ && widget_->windowHandle()->startSystemMove()) {
        press_.reset();
        return;
    }
    // A capture now would hide the window and end the pointer grab; the drop captures.
    moving_ = true;
    followPointerUntilRelease(*widget_, press_->grip, QSize(reportedWidth_, reportedHeight_),
                              x11_ ? &x11_->releases() : nullptr, press_->time);
    moving_ = false;
    keptPlace_.placed(widget_->x(), widget_->y());
    if (widget_->size() != QSize(reportedWidth_, reportedHeight_)) keepLogicalSize();
    reportedRatio_ = widget_->devicePixelRatioF();
    // The release ended the move; it is no mouse-up of the form's.
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
    press_ = Press{*button, event.position(), static_cast<uint32_t>(event.timestamp())};
    const QPoint global = event.globalPosition().toPoint();
    if (events.mouseDown) events.mouseDown(*button, scenePoint(event), {global.x(), global.y()});
}

void QtMascotWindow::released(const QMouseEvent& event) {
    const auto button = toMouseButton(event.button());
    if (!button) return;
    press_.reset();
    const QPoint global = event.globalPosition().toPoint();
    if (events.mouseUp) events.mouseUp(*button, scenePoint(event), {global.x(), global.y()});
}

}  // namespace ruvia::platform::qt
