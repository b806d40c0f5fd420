// Where two frames differ: the part of the window a new frame has to repaint.
#pragma once

#include "core/image.h"

namespace ruvia::core {

struct Area {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool empty() const { return width <= 0 || height <= 0; }
    friend bool operator==(const Area&, const Area&) = default;
};

// The smallest rectangle that holds every pixel in which `after` differs from `before`:
// empty when they are equal, the whole of `after` when their sizes differ.
Area changedArea(const Image& before, const Image& after);

}  // namespace ruvia::core
