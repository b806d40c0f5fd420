#include "core/line_raster.h"

#include <cmath>
#include <algorithm>
#include <cstdlib>

namespace ruvia::core {

namespace {

void plot(Image& img, int x, int y, uint32_t color) {
    if (img.contains(x, y)) img.at(x, y) = color;
}

// std::lround (ties away from zero) without its library call, which took as long as the
// string's pixels themselves. Exact for scene coordinates: v - whole is representable.
int toPixel(double v) {
    const int whole = static_cast<int>(v);
    const double fraction = v - whole;
    return whole + (fraction >= 0.5) - (fraction <= -0.5);
}

}  // namespace

void drawThickLine(Image& img, double x1, double y1, double x2, double y2, uint32_t color) {
    const int ax = toPixel(x1);
    const int ay = toPixel(y1);
    const int bx = toPixel(x2);
    const int by = toPixel(y2);
    const int dx = std::abs(bx - ax);
    const int dy = std::abs(by - ay);
    const int steps = std::max(dx, dy);
    // The second pixel of the stroke goes across the line's main direction.
    const bool steep = dy > dx;
    for (int i = 0; i <= steps; ++i) {
        const double t = steps == 0 ? 0.0 : static_cast<double>(i) / steps;
        const int x = toPixel(ax + (bx - ax) * t);
        const int y = toPixel(ay + (by - ay) * t);
        plot(img, x, y, color);
        plot(img, steep ? x + 1 : x, steep ? y : y + 1, color);
    }
}

PixelBounds thickLineBounds(double x1, double y1, double x2, double y2) {
    // Every point lies between the rounded ends; the stroke's second pixel adds one
    // to the right or below.
    const int left = std::min(toPixel(x1), toPixel(x2));
    const int top = std::min(toPixel(y1), toPixel(y2));
    const int lastX = std::max(toPixel(x1), toPixel(x2)) + 1;
    const int lastY = std::max(toPixel(y1), toPixel(y2)) + 1;
    return {left, top, lastX - left + 1, lastY - top + 1};
}

}  // namespace ruvia::core
