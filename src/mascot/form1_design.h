// The mascot window's design data: what it and its controls are created with.
#pragma once

#include "platform/types.h"

namespace ruvia::mascot {

inline constexpr const char* kSettingsFileName = "pdl_swg.ini";
inline constexpr const char* kAppTitle = "RuviaMascot";
inline constexpr const char* kSecondCopyMessage = "二人もいないの・・・";

// Window position and inner size at design, in twips.
inline constexpr float kDesignLeft = 9588;
inline constexpr float kDesignTop = 996;
inline constexpr float kDesignWidth = 3492;
inline constexpr float kDesignHeight = 2256;

inline constexpr int kTickMilliseconds = 50;

// The string: red 180, green 100, blue 0 from the load on; black before it.
inline constexpr platform::OleColor kStringColor = 0x0064B4;
inline constexpr int kStringWidth = 2;

// A line control: end points in scene pixels, drawn over its container.
struct LineControl {
    float X1 = 90;
    float Y1 = 60;
    float X2 = 130;
    float Y2 = 140;
    platform::OleColor BorderColor = 0;
};

// An invisible mouse target in scene pixels.
struct PixelBox {
    int Left = 50;
    int Top = 0;
    int Width = 16;
    int Height = 16;
    bool contains(int x, int y) const {
        return x >= Left && y >= Top && x < Left + Width && y < Top + Height;
    }
};

}  // namespace ruvia::mascot
