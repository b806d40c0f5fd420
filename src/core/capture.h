// What a capture read of the screen behind the window, and the one rule that lays a
// scene frame over it for the screen, for every backend.
#pragma once

#include "core/image.h"

namespace ruvia::core {

// The screen's own pixels behind the window: `factor` device pixels to a scene pixel
// each way (1 below 200 %), so the background stays exact in every one of them.
struct Capture {
    Image pixels;
    int factor = 1;
};

// How the screen shows a frame's transparent pixels.
enum class Backdrop {
    // Nothing blends a window: the capture's pixels are put there (or, where none was
    // read, the frame's own colour, made opaque).
    Captured,
    // The window system composites windows: they stay transparent.
    SeeThrough,
};

// `scene` in device pixels, each scene pixel a factor x factor block (the art is never
// smoothed), over `behind` where the scene is transparent. `out` is reused.
void frameForScreen(const Image& scene, const Capture& behind, int factor, Backdrop backdrop,
                    Image& out);

}  // namespace ruvia::core
