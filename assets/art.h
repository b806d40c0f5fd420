// Our own pixel art: the mascot's image list, the window icon and the menu's portrait.
#pragma once

#include "core/image.h"

namespace ruvia::assets {

// Picture `index` (1 to 8) of the mascot window's image list: the character in poses
// 0, 1, 2 as sprites 1, 3, 5 with masks 2, 4, 6; the pin as sprite 7 with mask 8.
// Masks have every bit set where the scene shows through and every bit clear where the
// object covers it; sprites are opaque there and all-zero (transparent) elsewhere.
// Throws std::out_of_range for any other index.
const core::Image& imageListFrame(int index);

// The 32 x 32 window icon: her head and shoulders, transparent around them.
const core::Image& icon();

// The menu's 32 x 56 portrait (the hanging pose) and its transparency mask (white where
// the picture box's background shows through).
const core::Image& portrait();
const core::Image& portraitMask();

}  // namespace ruvia::assets
