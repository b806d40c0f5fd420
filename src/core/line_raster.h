// The string from the pin to the character, drawn over the scene.
#pragma once

#include "core/image.h"

namespace ruvia::core {

// Draws a 2-pixel-wide line from (x1, y1) to (x2, y2), clipped to the image.
void drawThickLine(Image& img, double x1, double y1, double x2, double y2, uint32_t color);

struct PixelBounds {
    int x, y, width, height;
};

// The rectangle that drawThickLine with the same ends can touch, before clipping.
PixelBounds thickLineBounds(double x1, double y1, double x2, double y2);

}  // namespace ruvia::core
