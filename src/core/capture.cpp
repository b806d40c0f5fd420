#include "core/capture.h"

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
    for (int y = 0; y < out.height; ++y) {
        const uint32_t* row = &scene.pixels[static_cast<size_t>(y / factor) * scene.width];
        uint32_t* to = &out.pixels[static_cast<size_t>(y) * out.width];
        // Below 200 % (nearly every tick) a plain pass, without a division per pixel.
        if (factor == 1)
            for (int x = 0; x < out.width; ++x) to[x] = put(row[x], x, y);
        else
            for (int x = 0; x < out.width; ++x) to[x] = put(row[x / factor], x, y);
    }
}

}  // namespace ruvia::core
