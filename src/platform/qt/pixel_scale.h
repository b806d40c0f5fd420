// Qt backend: how twips, logical pixels and device pixels relate. Pure arithmetic.
// Windows are placed and sized in logical pixels; a screen grab on a high-DPI screen
// arrives in device pixels and is brought back to logical ones here.
#pragma once

#include "core/image.h"

namespace ruvia::platform::qt {

// Qt scales windows by the whole number under the screen's dpi / 96 (1 at 120 and 144
// dpi, 2 at 192 and 240, 3 at 288), so the art is never drawn at a fraction and a logical
// pixel below 200% is a device pixel. Call before the QApplication exists.
void useWholeNumberScaleFactors();

// Twips per logical pixel on a screen of the given logical dpi: 15 at 96 dpi. A dpi the
// screen cannot have (zero, negative) counts as 96.
double twipsPerPixelFor(double logicalDpi);

// Resamples a grab of `device` pixels to width x height logical pixels, each taking the
// device pixel under its centre (no smoothing, so the copy matches what was on screen
// pixel for pixel when the ratio is 1). Returns `device` itself when the sizes agree.
core::Image logicalFromDevice(const core::Image& device, int width, int height);

}  // namespace ruvia::platform::qt
