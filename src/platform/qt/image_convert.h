// Qt backend: core::Image to and from QImage (internal to the backend).
#pragma once

#include "core/image.h"

#include <QImage>

namespace ruvia::platform::qt {

// An opaque picture: 0x00RRGGBB pixels become Format_RGB32 (whose top byte must be 0xFF).
QImage toQImage(const core::Image& image);

// A picture whose top byte is alpha (the window icon) as Format_ARGB32.
QImage toQImageWithAlpha(const core::Image& image);

// Any QImage as 0x00RRGGBB pixels; alpha is dropped.
core::Image fromQImage(const QImage& image);

}  // namespace ruvia::platform::qt
