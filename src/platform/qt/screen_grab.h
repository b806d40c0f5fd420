// Qt backend: reads the pixels that the screens show in an area of the virtual desktop.
#pragma once

#include "core/image.h"
#include "platform/types.h"

#include <QImage>

namespace ruvia::platform::qt {

// Copies what every screen shows of `area` (logical pixels of the virtual desktop) into
// dst, the area's top-left corner going to dst's (0, 0); the parts of `area` that no
// screen shows are left as they were. Returns false, with dst untouched, when no screen
// could be read (no screen under the area, or a window system that refuses to be read).
bool grabScreenArea(PixelRect area, core::Image& dst);

// The device pixels that one screen shows of `area` (logical pixels of the virtual
// desktop), at that screen's pixel ratio. Null when `area` does not lie wholly on one
// screen or the screen cannot be read.
QImage grabDevicePixels(PixelRect area);

}  // namespace ruvia::platform::qt
