// BitBlt over images: the three raster operations the forms use, with GDI's clipping.
#pragma once

#include "core/image.h"

#include <cstdint>

namespace ruvia::core {

enum class RasterOp : uint32_t {
    SrcCopy = 0xCC0020,    // dst = src
    SrcAnd = 0x8800C6,     // dst = dst AND src
    SrcInvert = 0x660046,  // dst = dst XOR src
};

// Copies the w x h rectangle at (sx, sy) of src onto (x, y) of dst. Only pixels that lie
// inside both images are touched; everything else is left as it was. Returns nonzero
// like GDI: 1 on success, 0 for an unknown operation.
int32_t bitBlt(Image& dst, int x, int y, int w, int h, const Image& src, int sx, int sy,
               RasterOp rop);

// Sets the w x h rectangle at (x, y) of dst to one colour, clipped to dst.
void fillRect(Image& dst, int x, int y, int w, int h, uint32_t color);

}  // namespace ruvia::core
