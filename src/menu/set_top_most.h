// Puts a window into or out of the always-on-top band of the desktop.
#pragma once

#include "platform/mascot_window.h"

#include <cstdint>

namespace ruvia::menu {

// flag 1: always on top; 0: back among the others; any other value: nothing, 0 returned.
// Otherwise nonzero when the window system agreed.
int32_t SetTopMost(platform::MascotWindow& form, int16_t flag);

}  // namespace ruvia::menu
