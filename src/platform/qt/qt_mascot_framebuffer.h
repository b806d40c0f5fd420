// Qt backend: puts the mascot's frames, already in device pixels, on her window.
// Straight onto the X window where it can, only the rectangle that changed; otherwise
// through Qt's paint. Internal to the backend.
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
    void setPresentation(Presentation presentation) { presentation_ = presentation; }

    // `factor` device pixels of the frame to a logical pixel of the window each way.
    void present(const core::Image& deviceFrame, int factor);
    // The latest frame as the widget paints it.
    QImage frameToPaint() const;

private:
    bool putsFramesDirectly() const;

    MascotWidget& widget_;
    X11Session* x11_;
    Presentation presentation_ = Presentation::Captured;
    core::Image shown_;  // the last presented frame
    int factor_ = 1;
};

}  // namespace ruvia::platform::qt
