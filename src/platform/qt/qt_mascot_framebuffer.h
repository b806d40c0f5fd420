// Qt backend: puts the mascot's frames on her window. Straight onto the X window where
// it can, only the rectangle that changed; otherwise through Qt's paint. On a scaled
// screen a captured frame is laid over the capture's own device pixels, so the
// background stays exact in every one of them. Internal to the backend.
#pragma once

#include "core/image.h"
#include "platform/mascot_window.h"

#include <QImage>

namespace ruvia::platform::qt {

class MascotWidget;
class X11Session;

class QtMascotFramebuffer {
public:
    // `x11` may be null (off X); both outlive the framebuffer.
    QtMascotFramebuffer(MascotWidget& widget, X11Session* x11);

    Presentation presentation() const { return presentation_; }
    void setPresentation(Presentation presentation);
    // The last capture on a scaled screen, in device pixels; a null image for none.
    void setDeviceBackground(QImage device) { deviceBackground_ = std::move(device); }

    void present(const core::Image& frame);
    // The latest frame as the widget paints it.
    QImage frameToPaint() const;

private:
    bool putsFramesDirectly() const;
    QImage overDeviceBackground(const core::Image& frame) const;

    MascotWidget& widget_;
    X11Session* x11_;
    Presentation presentation_ = Presentation::Captured;
    QImage deviceBackground_;
    core::Image shown_;  // the last presented frame
};

}  // namespace ruvia::platform::qt
