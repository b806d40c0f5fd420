#include "platform/qt/mascot_widget.h"

#include <QExposeEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

namespace ruvia::platform::qt {

MascotWidget::MascotWidget() {
    // Without the two no-focus settings every capture (a hide and a show) would take the
    // keyboard focus away from the user's window under openbox.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    // The frame covers every pixel; clearing first would only flicker.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    create();
    windowHandle()->installEventFilter(this);
}

void MascotWidget::setTranslucent(bool on) {
    if (isTranslucent() == on || isVisible()) return;
    destroy();
    setAttribute(Qt::WA_TranslucentBackground, on);
    create();
    windowHandle()->installEventFilter(this);
}

void MascotWidget::setFrame(QImage frame) {
    frame_ = std::move(frame);
    frameOutdated_ = false;
    update();
}

bool MascotWidget::eventFilter(QObject* watched, QEvent* event) {
    if (watched == windowHandle() && event->type() == QEvent::Expose) {
        // Qt answers an expose with its copy of the window as it last painted it, unless
        // the widget needs painting.
        if (frameOutdated_) update();
        // Qt 6.4 has no public region on QExposeEvent; isExposed() says whether
        // anything of the window is on screen after this expose.
        if (onExpose) onExpose(windowHandle()->isExposed());
    }
    return false;
}

void MascotWidget::paintEvent(QPaintEvent*) {
    if (frameOutdated_ && currentFrame) {
        frame_ = currentFrame();
        frameOutdated_ = false;
    }
    QPainter painter(this);
    // Scaled (on a high-DPI screen) without smoothing, so pixel art stays crisp.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    // The frame's alpha replaces the window's, so a see-through pixel stays see-through.
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QPoint(0, 0), frame_);
    const QRect covered(QPoint(0, 0), frame_.size());
    if (!covered.contains(rect())) {
        const QRegion rest = QRegion(rect()) - covered;
        for (const QRect& r : rest)
            painter.fillRect(r, frame_.hasAlphaChannel() ? Qt::transparent : Qt::black);
    }
}

void MascotWidget::mousePressEvent(QMouseEvent* event) {
    if (onPress) onPress(*event);
}

void MascotWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (onRelease) onRelease(*event);
}

void MascotWidget::resizeEvent(QResizeEvent* event) {
    if (onResized) onResized(event->size());
}

void MascotWidget::showEvent(QShowEvent*) {
    if (onShown) onShown();
}

}  // namespace ruvia::platform::qt
