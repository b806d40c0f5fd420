// The mascot window's geometry, derived from the height of its scene.
#pragma once

#include <cstdint>

namespace ruvia::core {

constexpr int kSpriteWidth = 32;
constexpr int kSpriteHeight = 56;
constexpr int kPinSize = 16;

// Pendulum length in pixels: the character at rest stands on the scene's bottom edge.
double ropeLength(double sceneScaleHeight);

// The window's inner width in pixels: the horizontal reach of a 22-degree swing plus a
// 72-pixel margin, kept in single precision like the window's scale width.
float windowScaleWidth(double ropeLen);

// Where the pin, the resting character and the string's upper end go in a scene.
struct PinLayout {
    int32_t pinX = 0;
    int32_t pinY = 0;
    int32_t charX = 0;  // character at rest
    int32_t charY = 0;
    int32_t lineX1 = 0;  // the string's fixed upper end
    int32_t lineY1 = 0;
    friend bool operator==(const PinLayout&, const PinLayout&) = default;
};

PinLayout pinLayout(double sceneScaleWidth, double sceneScaleTop, double ropeLen);

}  // namespace ruvia::core
