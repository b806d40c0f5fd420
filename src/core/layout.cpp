#include "core/layout.h"

#include "core/rounding.h"

#include <cmath>

namespace ruvia::core {

namespace {
// 22 degrees with the swing's own degree factor (22 x 3.1415 = 69.113), so the window
// is as wide as the widest swing actually reaches.
constexpr double kWidestSwingRad = 69.113 / 180.0;
constexpr double kWidthMargin = 72.0;
constexpr int32_t kSpriteOffsetX = 8;
constexpr int32_t kAnchorDx = 6;
constexpr int32_t kAnchorDy = 12;
}  // namespace

double ropeLength(double sceneScaleHeight) { return sceneScaleHeight - kSpriteHeight; }

float windowScaleWidth(double ropeLen) {
    return static_cast<float>(std::sin(kWidestSwingRad) * ropeLen + kWidthMargin);
}

PinLayout pinLayout(double sceneScaleWidth, double sceneScaleTop, double ropeLen) {
    PinLayout l;
    l.pinY = roundHalfEven(sceneScaleTop);
    l.pinX = roundHalfEven(sceneScaleWidth / 2.0);
    l.charY = roundHalfEven(ropeLen);
    l.charX = l.pinX - kSpriteOffsetX;
    l.lineX1 = l.pinX + kAnchorDx;
    l.lineY1 = l.pinY + kAnchorDy;
    return l;
}

}  // namespace ruvia::core
