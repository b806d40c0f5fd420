// Keeping a window reachable: inside the screen that shows most of it.
#pragma once

#include <cstddef>
#include <span>

namespace ruvia::core {

// A rectangle in twips, as single-precision window geometry.
struct TwipsRect {
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;
    friend bool operator==(const TwipsRect&, const TwipsRect&) = default;
};

// Moves `window` back inside `screen` with four strict tests in this order: top, left,
// bottom, right. A window larger than the screen ends flush with its bottom or right edge.
TwipsRect holdInside(TwipsRect window, const TwipsRect& screen);

// Index of the screen that contains the largest part of `window`; where none overlaps
// it, the nearest one. `screens` must not be empty.
size_t screenHolding(const TwipsRect& window, std::span<const TwipsRect> screens);

}  // namespace ruvia::core
