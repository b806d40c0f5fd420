// QtMascotWindow: the presentation and the capture of what lies behind her.
#include "platform/qt/qt_mascot_window.h"

#include "platform/qt/image_convert.h"
#include "platform/qt/mascot_widget.h"
#include "platform/qt/qt_mascot_framebuffer.h"
#include "platform/qt/screen_grab.h"
#include "platform/qt/x11/x11_session.h"

#include <QGuiApplication>
#include <QWindow>

#include <algorithm>
#include <thread>

namespace ruvia::platform::qt {
namespace {

// Time for the windows beneath to repaint what the mascot uncovered.
constexpr std::chrono::milliseconds kRepaintAllowance{5};

}  // namespace

Presentation QtMascotWindow::adoptPresentation() {
    const bool seeThrough = canBeSeeThrough();
    if (!onWayland_ && widget_->isTranslucent() != seeThrough) {
        // The visual comes with the native window: off the screen first, so the capture
        // that may follow reads no trace of the old one.
        hide();
        waitUntilOffScreen();
        widget_->setTranslucent(seeThrough);
    }
    // A server without a visual that has alpha leaves the window opaque.
    framebuffer_->setPresentation(seeThrough &&
                                          (onWayland_ || widget_->windowHandle()->format().hasAlpha())
                                      ? Presentation::SeeThrough
                                      : Presentation::Captured);
    return framebuffer_->presentation();
}

bool QtMascotWindow::copyScreenBehind(core::Capture& into, int width, int height) {
    // Other window systems (Wayland) do not let a program read the screen.
    if (!x11_) return false;
    waitUntilOffScreen();
    // Qt's own idea of the place can be an older one for a moment: the window manager's
    // notice of each move arrives late, and two moves in a row (a drop held on both
    // axes) briefly report the first. Once withdrawn, the server has them all.
    // Where she will be shown again: a window manager may have left her elsewhere.
    const QPoint at = keptPlace_.known()
                          ? QPoint(keptPlace_.x(), keptPlace_.y())
                          : placeOnServer(widget_->size()).value_or(widget_->geometry().topLeft());
    const PixelRect area{at.x(), at.y(), width, height};
    if (const int factor = pixelFactor(); factor != 1) {
        // A logical copy of finer device pixels would be coarser than what lies behind.
        const QImage device = grabDevicePixels(area);
        if (device.width() == width * factor && device.height() == height * factor) {
            into = {fromQImage(device), factor};
            return true;
        }
    }
    core::Image pixels(width, height, core::kTransparent);  // clear where no screen is
    if (!grabScreenArea(area, pixels)) return false;
    into = {std::move(pixels), 1};
    return true;
}

void QtMascotWindow::waitUntilOffScreen() {
    if (!offScreenPending_) return;
    offScreenPending_ = false;
    if (x11_) x11_->waitUntilWithdrawn();
    std::this_thread::sleep_for(kRepaintAllowance);
}

}  // namespace ruvia::platform::qt
