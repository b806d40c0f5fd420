#include "platform/qt/qt_mascot_framebuffer.h"

#include "core/changed_area.h"
#include "platform/qt/image_convert.h"
#include "platform/qt/mascot_widget.h"
#include "platform/qt/x11/x11_session.h"

namespace ruvia::platform::qt {

QtMascotFramebuffer::QtMascotFramebuffer(MascotWidget& widget, X11Session* x11)
    : widget_(widget), x11_(x11) {
    widget_.currentFrame = [this] { return frameToPaint(); };
}

bool QtMascotFramebuffer::putsFramesDirectly() const {
    // Only where a logical pixel is a device pixel: elsewhere Qt knows the native size.
    return x11_ != nullptr && widget_.devicePixelRatioF() == 1.0 && factor_ == 1;
}

void QtMascotFramebuffer::present(const core::Image& deviceFrame, int factor) {
    const core::Area changed = core::changedArea(shown_, deviceFrame);
    shown_ = deviceFrame;
    factor_ = factor;
    if (putsFramesDirectly()) {
        widget_.framePutElsewhere();
        // A hidden window gets the frame from its paint when it is shown again.
        if (!widget_.isVisible() || changed.empty()) return;
        if (x11_->putFrame(shown_, changed)) return;
    }
    widget_.setFrame(frameToPaint());
}

QImage QtMascotFramebuffer::frameToPaint() const {
    // Without a compositor a window's alpha is not blended: the captured presentation is
    // painted opaque.
    QImage out = presentation_ == Presentation::SeeThrough ? toQImage(shown_) : toOpaqueQImage(shown_);
    out.setDevicePixelRatio(factor_);
    return out;
}

}  // namespace ruvia::platform::qt
