// Layout: the whole geometry follows from the scene's height.
#include "core/layout.h"

#include <algorithm>

#include "mascot/form1.h"

namespace ruvia::mascot {

namespace {

// A picture box keeps what it holds where the old and new sizes overlap.
void resizeKeeping(core::Image& img, int width, int height, uint32_t fill) {
    if (img.width == width && img.height == height) return;
    core::Image resized(width, height, fill);
    for (int y = 0; y < std::min(height, img.height); ++y)
        for (int x = 0; x < std::min(width, img.width); ++x) resized.at(x, y) = img.at(x, y);
    img = std::move(resized);
}

}  // namespace

void Form1::Form_Resize() {
    Timer1->setInterval(0);
    clearScene();
    const uint32_t background = toolkit_.resolveColor(platform::kWindowBackground);
    const int height = window_->geometry().height;
    resizeKeeping(PicMain, PicMain.width, height, background);
    resizeKeeping(PicTemp, PicTemp.width, height, background);

    RopeLen = core::ropeLength(sceneScaleHeight());
    sceneScaleWidth_ = core::windowScaleWidth(RopeLen);
    // May raise Form_Resize again from inside; the nested pass finds the same width.
    setWidth(static_cast<float>(sceneScaleWidth_ * toolkit_.twipsPerPixel()));
    const int width = window_->geometry().width;
    resizeKeeping(PicMain, width, height, background);
    resizeKeeping(PicTemp, width, height, background);

    const core::PinLayout l = core::pinLayout(width, 0.0, RopeLen);
    PinY = l.pinY;
    PinX = l.pinX;
    ImgPin1.Top = PinY;
    ImgPin1.Left = PinX;
    CharY = l.charY;
    CharX = l.charX;
    Line1.X1 = static_cast<float>(l.lineX1);
    Line1.Y1 = static_cast<float>(l.lineY1);
    GetCap();
    SetCap();
    setPin();
    presentScene();
    Timer1->setInterval(kTickMilliseconds);
}

}  // namespace ruvia::mascot
