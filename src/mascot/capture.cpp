// The background capture that makes the window look transparent.
#include "core/raster_ops.h"
#include "core/rounding.h"

#include "mascot/form1.h"

#include <algorithm>

namespace ruvia::mascot {

void Form1::GetCap() {
    // Showing the window again may ask for a repaint, whose handler captures: one
    // capture never starts inside another.
    if (capturing_) return;
    capturing_ = true;
    if (window_->adoptPresentation() == platform::Presentation::SeeThrough) {
        // The desktop shows through the window itself: nothing to read, no need to hide.
        PicTemp.fill(core::kTransparent);
        captured_ = {};
        backdrop_ = core::Backdrop::SeeThrough;
        ApiResult = 1;
    } else {
        backdrop_ = core::Backdrop::Captured;
        window_->hide();
        toolkit_.doEvents();
        const int w = core::roundHalfEven(PicMain.width);
        const int h = core::roundHalfEven(PicMain.height);
        ApiResult = window_->copyScreenBehind(captured_, w, h) ? 1 : 0;
        if (ApiResult != 0) takeCapture(w, h);
    }
    window_->show();
    toolkit_.doEvents();
    capturing_ = false;
}

// At 1x the capture is the scene's background itself. Finer device pixels would be
// coarser as scene pixels: the scene's background is left clear and every frame is laid
// over the capture's own pixels instead.
void Form1::takeCapture(int width, int height) {
    if (captured_.factor == 1) {
        // Where no screen was read the capture is clear, and the background stays as it was.
        for (int y = 0; y < std::min(height, captured_.pixels.height); ++y)
            for (int x = 0; x < std::min(width, captured_.pixels.width); ++x)
                if (const uint32_t p = captured_.pixels.at(x, y); core::isOpaque(p) && PicTemp.contains(x, y))
                    PicTemp.at(x, y) = p;
        return;
    }
    core::fillRect(PicTemp, 0, 0, width, height, core::kTransparent);
}

void Form1::SetCap() {
    ApiResult = core::bitBlt(PicMain, 0, 0, PicMain.width, PicMain.height, PicTemp, 0, 0,
                             core::RasterOp::SrcCopy);
}

// A repaint at rest gets no tick to bring her back, so she is drawn where she is, as the
// drag's redraw draws her.
void Form1::Form_Paint() {
    if (capturing_) return;
    GetCap();
    SetCap();
    setPin();
    setRuvia(CharX, CharY, shownPose_);
    SetLine();
    presentScene();
}

void Form1::PicMain_Paint() { toolkit_.doEvents(); }

}  // namespace ruvia::mascot
