#include "platform/qt/qt_mascot_framebuffer.h"

#include "core/changed_area.h"
#include "platform/qt/image_convert.h"
#include "platform/qt/mascot_widget.h"
#include "platform/qt/x11/x11_session.h"

#include <QPainter>

namespace ruvia::platform::qt {

QtMascotFramebuffer::QtMascotFramebuffer(MascotWidget& widget, X11Session* x11)
    : widget_(widget), x11_(x11) {
    widget_.currentFrame = [this] { return frameToPaint(); };
}

void QtMascotFramebuffer::setPresentation(Presentation presentation) {
    presentation_ = presentation;
    if (presentation_ == Presentation::SeeThrough) deviceBackground_ = QImage();
}

bool QtMascotFramebuffer::putsFramesDirectly() const {
    // Scaled frames are laid over device pixels first; Qt does that part.
    return x11_ != nullptr && deviceBackground_.isNull() && widget_.devicePixelRatioF() == 1.0;
}

void QtMascotFramebuffer::present(const core::Image& frame) {
    const core::Area changed = core::changedArea(shown_, frame);
    shown_ = frame;
    if (putsFramesDirectly()) {
        widget_.framePutElsewhere();
        // A hidden window gets the frame from its paint when it is shown again.
        if (!widget_.isVisible() || changed.empty()) return;
        if (x11_->putFrame(shown_, changed)) return;
    }
    widget_.setFrame(frameToPaint());
}

QImage QtMascotFramebuffer::frameToPaint() const {
    if (presentation_ == Presentation::SeeThrough) return toQImage(shown_);
    if (!deviceBackground_.isNull()) return overDeviceBackground(shown_);
    // Without a compositor a window's alpha is not blended: a transparent pixel would
    // show black, so the captured presentation is painted opaque.
    return toOpaqueQImage(shown_);
}

QImage QtMascotFramebuffer::overDeviceBackground(const core::Image& frame) const {
    QImage out = deviceBackground_.convertToFormat(QImage::Format_RGB32);
    out.setDevicePixelRatio(1.0);
    {
        QPainter painter(&out);
        // Each device pixel a copy of one logical pixel: the art stays crisp.
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter.drawImage(out.rect(), toQImage(frame));
    }
    out.setDevicePixelRatio(widget_.devicePixelRatioF());
    return out;
}

}  // namespace ruvia::platform::qt
