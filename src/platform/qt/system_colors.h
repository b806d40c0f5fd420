// Qt backend: turns the designer's colour values into pixels (Toolkit::resolveColor).
// No Qt types: the palette is read by the toolkit and handed in as plain pixels.
#pragma once

#include "platform/types.h"

#include <cstdint>

namespace ruvia::platform::qt {

// The user's colours that the forms name, as opaque 0xFFRRGGBB pixels.
struct SystemPalette {
    uint32_t windowBackground = 0xFFFFFFFF;
    uint32_t windowText = 0xFF000000;
    uint32_t buttonText = 0xFF000000;
};

// Plain 0x00BBGGRR colours are converted to pixels; system colours come from the palette
// (an index the forms never use resolves to black).
uint32_t resolveOleColor(OleColor color, const SystemPalette& palette);

}  // namespace ruvia::platform::qt
