#include "core/screen_hold.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace ruvia::core {

TwipsRect holdInside(TwipsRect w, const TwipsRect& s) {
    if (w.top < s.top) w.top = s.top;
    if (w.left < s.left) w.left = s.left;
    const float lowestTop = s.top + (s.height - w.height);
    if (lowestTop < w.top) w.top = lowestTop;
    const float rightmostLeft = s.left + (s.width - w.width);
    if (rightmostLeft < w.left) w.left = rightmostLeft;
    return w;
}

namespace {

double overlap(double a0, double a1, double b0, double b1) {
    return std::max(0.0, std::min(a1, b1) - std::max(a0, b0));
}

double gap(double a0, double a1, double b0, double b1) {
    if (a1 < b0) return b0 - a1;
    if (b1 < a0) return a0 - b1;
    return 0.0;
}

}  // namespace

size_t screenHolding(const TwipsRect& w, std::span<const TwipsRect> screens) {
    size_t best = 0;
    double bestArea = 0.0;
    double bestDistance = std::numeric_limits<double>::infinity();
    for (size_t i = 0; i < screens.size(); ++i) {
        const TwipsRect& s = screens[i];
        const double area = overlap(w.left, w.left + w.width, s.left, s.left + s.width) *
                            overlap(w.top, w.top + w.height, s.top, s.top + s.height);
        const double distance = std::hypot(gap(w.left, w.left + w.width, s.left, s.left + s.width),
                                           gap(w.top, w.top + w.height, s.top, s.top + s.height));
        if (area > bestArea || (bestArea == 0.0 && area == 0.0 && distance < bestDistance)) {
            best = i;
            bestArea = area;
            bestDistance = distance;
        }
    }
    return best;
}

}  // namespace ruvia::core
