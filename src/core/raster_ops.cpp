#include "core/raster_ops.h"

#include <algorithm>
#include <cstddef>

namespace ruvia::core {

namespace {

uint32_t combine(uint32_t d, uint32_t s, RasterOp rop) {
    switch (rop) {
    case RasterOp::SrcCopy: return s;
    case RasterOp::SrcAnd: return d & s;
    case RasterOp::SrcInvert: return d ^ s;
    }
    return d;
}

}  // namespace

int32_t bitBlt(Image& dst, int x, int y, int w, int h, const Image& src, int sx, int sy,
               RasterOp rop) {
    if (rop != RasterOp::SrcCopy && rop != RasterOp::SrcAnd && rop != RasterOp::SrcInvert)
        return 0;
    // Clip the rectangle so that both its destination and its source lie inside.
    const int left = std::max({0, -x, -sx});
    const int top = std::max({0, -y, -sy});
    const int right = std::min({w, dst.width - x, src.width - sx});
    const int bottom = std::min({h, dst.height - y, src.height - sy});
    for (int row = top; row < bottom; ++row) {
        uint32_t* d = dst.pixels.data() + static_cast<std::size_t>(y + row) * dst.width + x + left;
        const uint32_t* s =
            src.pixels.data() + static_cast<std::size_t>(sy + row) * src.width + sx + left;
        for (int col = left; col < right; ++col, ++d, ++s) *d = combine(*d, *s, rop);
    }
    return 1;
}

}  // namespace ruvia::core
