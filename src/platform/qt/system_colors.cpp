#include "platform/qt/system_colors.h"

#include "core/image.h"

namespace ruvia::platform::qt {

uint32_t resolveOleColor(OleColor color, const SystemPalette& palette) {
    if ((color & 0xFF000000u) != kSystemColorFlag) return core::pixelFromColorRef(color & 0xFFFFFFu);
    switch (color) {
        case kWindowBackground: return palette.windowBackground;
        case kWindowText: return palette.windowText;
        case kButtonText: return palette.buttonText;
        default: return core::kBlack;
    }
}

}  // namespace ruvia::platform::qt
