// QtMascotWindow: where she is and how large. Only the program decides either: a size
// or place a window manager gives her unasked is put back, and she keeps her logical size
// on screens of any scale.
#include "platform/qt/qt_mascot_window.h"

#include "platform/qt/mascot_widget.h"
#include "platform/qt/scaled_screens.h"
#include "platform/qt/x11/x11_session.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

#include <cmath>

namespace ruvia::platform::qt {

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
    if (x11_) x11_->placeAt(toDevicePixels(screensNow(), QPointF(to)).toPoint());
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
    const auto device = x11_ ? x11_->deviceTopLeft() : std::nullopt;
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

}  // namespace ruvia::platform::qt
