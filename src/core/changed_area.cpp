#include "core/changed_area.h"

#include <algorithm>
#include <cstring>

namespace ruvia::core {

Area changedArea(const Image& before, const Image& after) {
    if (before.width != after.width || before.height != after.height)
        return {0, 0, after.width, after.height};
    const std::size_t rowBytes = static_cast<std::size_t>(after.width) * sizeof(uint32_t);
    int top = -1;
    int bottom = -1;
    int left = after.width;
    int right = -1;
    for (int y = 0; y < after.height; ++y) {
        const uint32_t* a = before.pixels.data() + static_cast<std::size_t>(y) * after.width;
        const uint32_t* b = after.pixels.data() + static_cast<std::size_t>(y) * after.width;
        // Most rows of a swing's frame are unchanged: one memcmp settles them.
        if (std::memcmp(a, b, rowBytes) == 0) continue;
        if (top < 0) top = y;
        bottom = y;
        int x = 0;
        while (x < left && a[x] == b[x]) ++x;
        left = std::min(left, x);
        int r = after.width - 1;
        while (r > right && a[r] == b[r]) --r;
        right = std::max(right, r);
    }
    if (top < 0) return {};
    return {left, top, right - left + 1, bottom - top + 1};
}

}  // namespace ruvia::core
