// Plain value types shared by the forms and every backend. No toolkit headers here.
#pragma once

#include <cstdint>

namespace ruvia::platform {

// Mouse buttons with the toolkit's own numbering (left 1, right 2, middle 4).
enum class MouseButton : int16_t { Left = 1, Right = 2, Middle = 4 };

struct PixelPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const PixelPoint&, const PixelPoint&) = default;
};

// A rectangle in whole pixels of the virtual desktop (or of a window's inside).
struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// A colour as the form designer writes it: 0x00BBGGRR for a plain colour, or
// 0x80000000 + n for the user's current system colour n.
using OleColor = uint32_t;
constexpr OleColor kSystemColorFlag = 0x80000000u;
constexpr OleColor systemColor(int n) { return kSystemColorFlag + static_cast<uint32_t>(n); }
constexpr OleColor kWindowBackground = systemColor(5);
constexpr OleColor kWindowText = systemColor(8);
constexpr OleColor kButtonText = systemColor(0x12);

}  // namespace ruvia::platform
