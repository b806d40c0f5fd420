#include "core/line_raster.h"

#include <cmath>
#include <algorithm>
#include <cstdlib>

namespace ruvia::core {

namespace {

void plot(Image& img, int x, int y, uint32_t color) {
    if (img.contains(x, y)) img.at(x, y) = color;
}

}  // namespace

void drawThickLine(Image& img, double x1, double y1, double x2, double y2, uint32_t color) {
    const int ax = static_cast<int>(std::lround(x1));
    const int ay = static_cast<int>(std::lround(y1));
    const int bx = static_cast<int>(std::lround(x2));
    const int by = static_cast<int>(std::lround(y2));
    const int dx = std::abs(bx - ax);
    const int dy = std::abs(by - ay);
    const int steps = std::max(dx, dy);
    // The second pixel of the stroke goes across the line's main direction.
    const bool steep = dy > dx;
    for (int i = 0; i <= steps; ++i) {
        const double t = steps == 0 ? 0.0 : static_cast<double>(i) / steps;
        const int x = static_cast<int>(std::lround(ax + (bx - ax) * t));
        const int y = static_cast<int>(std::lround(ay + (by - ay) * t));
        plot(img, x, y, color);
        plot(img, steep ? x + 1 : x, steep ? y : y + 1, color);
    }
}

}  // namespace ruvia::core
