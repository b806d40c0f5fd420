// Masked sprites: the mask ANDed into the scene, then the sprite XORed over it.
#include "assets/art.h"
#include "core/layout.h"
#include "core/raster_ops.h"

#include "mascot/form1.h"

namespace ruvia::mascot {

namespace {
constexpr int kPoseFrames[3][2] = {{2, 1}, {4, 3}, {6, 5}};  // mask, sprite
constexpr int kPinMaskFrame = 8;
constexpr int kPinSpriteFrame = 7;
}  // namespace

// A picture box is given the image list's picture itself, not a copy of it; the copies
// then read the frame where it lies.
void Form1::stageFrame(int index) { Picture1 = &assets::imageListFrame(index); }

void Form1::drawMasked(int32_t x, int32_t y, int w, int h, int maskFrame, int spriteFrame) {
    stageFrame(maskFrame);
    ApiResult = core::bitBlt(PicMain, x, y, w, h, *Picture1, 0, 0, core::RasterOp::SrcAnd);
    stageFrame(spriteFrame);
    ApiResult = core::bitBlt(PicMain, x, y, w, h, *Picture1, 0, 0, core::RasterOp::SrcInvert);
}

void Form1::setRuvia(int32_t x, int32_t y, int32_t pose) {
    if (pose < 0 || pose > 2) return;
    drawMasked(x, y, core::kSpriteWidth, core::kSpriteHeight, kPoseFrames[pose][0],
               kPoseFrames[pose][1]);
}

void Form1::setPin() {
    drawMasked(PinX, PinY, core::kPinSize, core::kPinSize, kPinMaskFrame, kPinSpriteFrame);
}

void Form1::SetLine() {
    Line1.X2 = static_cast<float>(CharX + core::kSpriteWidth / 2.0 - 2);
    Line1.Y2 = static_cast<float>(CharY);
}

}  // namespace ruvia::mascot
