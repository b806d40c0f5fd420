// Qt backend: core::Image to and from QImage (internal to the backend).
#pragma once

#include "core/image.h"

#include <QImage>

namespace ruvia::platform::qt {

// One pixel with its colour multiplied by its alpha, as X and Qt blend it.
uint32_t premultiplied(uint32_t pixel);

// The picture with its alpha, as Format_ARGB32_Premultiplied (what Qt paints fastest).
QImage toQImage(const core::Image& image);

// The picture on an opaque surface: alpha is ignored, Format_RGB32.
QImage toOpaqueQImage(const core::Image& image);

// Any QImage as opaque core::Image pixels; alpha is dropped.
core::Image fromQImage(const QImage& image);

}  // namespace ruvia::platform::qt
