#include "core/capture.h"

#include <algorithm>

namespace ruvia::core {

void frameForScreen(const Image& scene, const Capture& behind, int factor, Backdrop backdrop,
                    Image& out) {
    if (factor < 1) factor = 1;
    if (out.width != scene.width * factor || out.height != scene.height * factor)
        out = Image(scene.width * factor, scene.height * factor);
    // A capture taken at another scale (she has crossed to another monitor since) shows
    // nothing right: the next capture brings one of this scale.
    const bool haveBehind = backdrop == Backdrop::Captured && behind.factor == factor;
    const auto put = [&](uint32_t pixel, int x, int y) {
        if (isOpaque(pixel) || backdrop == Backdrop::SeeThrough) return pixel;
        if (haveBehind && behind.pixels.contains(x, y)) return behind.pixels.at(x, y) | kOpaque;
        return pixel | kOpaque;
    };
    if (factor == 1) {
        // Nearly every tick: a copy, and a look for see-through pixels that vectorises.
        std::copy(scene.pixels.begin(), scene.pixels.end(), out.pixels.begin());
        if (backdrop == Backdrop::SeeThrough) return;
        uint32_t all = kOpaque;
        for (const uint32_t pixel : out.pixels) all &= pixel;
        if (isOpaque(all)) return;
        for (int y = 0; y < out.height; ++y)
            for (int x = 0; x < out.width; ++x) out.at(x, y) = put(out.at(x, y), x, y);
        return;
    }
    for (int y = 0; y < out.height; ++y) {
        const uint32_t* row = &scene.pixels[static_cast<size_t>(y / factor) * scene.width];
        uint32_t* to = &out.pixels[static_cast<size_t>(y) * out.width];
        for (int x = 0; x < out.width; ++x) to[x] = put(row[x / factor], x, y);
    }
}

}  // namespace ruvia::core
