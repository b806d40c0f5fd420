#include "core/raster_ops.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace ruvia::core {

namespace {

// One loop per operation, with the operation fixed outside it, so that the compiler turns
// each row into vector instructions. The whole 32-bit value takes part: a mask's all-ones
// and a sprite's all-zero background keep whatever the scene holds, alpha included.
template <typename Combine>
void combineRows(uint32_t* d, std::size_t dStride, const uint32_t* s, std::size_t sStride,
                 int width, int rows, Combine combine) {
    for (int row = 0; row < rows; ++row, d += dStride, s += sStride)
        for (int col = 0; col < width; ++col) d[col] = combine(d[col], s[col]);
}

void copyRows(uint32_t* d, std::size_t dStride, const uint32_t* s, std::size_t sStride,
              int width, int rows) {
    const std::size_t rowBytes = static_cast<std::size_t>(width) * sizeof(uint32_t);
    // Whole rows of equally wide images lie back to back: one copy for the lot.
    if (dStride == sStride && static_cast<std::size_t>(width) == dStride) {
        std::memmove(d, s, rowBytes * static_cast<std::size_t>(rows));
        return;
    }
    // Top to bottom, like the pixel loops; memmove keeps a row that overlaps itself intact.
    for (int row = 0; row < rows; ++row, d += dStride, s += sStride) std::memmove(d, s, rowBytes);
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
    if (left >= right || top >= bottom) return 1;

    const std::size_t dStride = static_cast<std::size_t>(dst.width);
    const std::size_t sStride = static_cast<std::size_t>(src.width);
    uint32_t* d = dst.pixels.data() + static_cast<std::size_t>(y + top) * dStride + x + left;
    const uint32_t* s = src.pixels.data() + static_cast<std::size_t>(sy + top) * sStride + sx + left;
    const int width = right - left;
    const int rows = bottom - top;
    switch (rop) {
    case RasterOp::SrcCopy: copyRows(d, dStride, s, sStride, width, rows); break;
    case RasterOp::SrcAnd:
        combineRows(d, dStride, s, sStride, width, rows, [](uint32_t a, uint32_t b) { return a & b; });
        break;
    case RasterOp::SrcInvert:
        combineRows(d, dStride, s, sStride, width, rows, [](uint32_t a, uint32_t b) { return a ^ b; });
        break;
    }
    return 1;
}

void fillRect(Image& dst, int x, int y, int w, int h, uint32_t color) {
    const int left = std::max(0, x), top = std::max(0, y);
    const int right = std::min(dst.width, x + w), bottom = std::min(dst.height, y + h);
    if (left >= right) return;
    for (int row = top; row < bottom; ++row) {
        uint32_t* d = dst.pixels.data() + static_cast<std::size_t>(row) * dst.width;
        std::fill(d + left, d + right, color);
    }
}

}  // namespace ruvia::core
