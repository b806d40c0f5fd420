// The background capture that makes the window look transparent.
#include "core/raster_ops.h"
#include "core/rounding.h"

#include "mascot/form1.h"

namespace ruvia::mascot {

void Form1::GetCap() {
    // Showing the window again may ask for a repaint, whose handler captures: one
    // capture never starts inside another.
    if (capturing_) return;
    capturing_ = true;
    if (window_->choosePresentation() == platform::Presentation::SeeThrough) {
        // The desktop shows through the window itself: nothing to read, no need to hide.
        PicTemp.fill(core::kTransparent);
        ApiResult = 1;
    } else {
        window_->hide();
        toolkit_.doEvents();
        const int w = core::roundHalfEven(PicMain.width);
        const int h = core::roundHalfEven(PicMain.height);
        ApiResult = window_->copyScreenBehind(PicTemp, w, h) ? 1 : 0;
    }
    window_->show();
    toolkit_.doEvents();
    capturing_ = false;
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
