// Win32 backend: what the system draws at a monitor's dpi, for the menu: the font
// dialogs are read in, and a window's frame and title. Windows 10 says so for any dpi;
// older ones only for the system's, which is then scaled. No <windows.h> here.
#pragma once

#include "core/display_scale.h"

struct HFONT__;

namespace ruvia::platform::win32 {

// The font the user reads dialogs in, at `dpi`; none (the stock font) when it cannot be
// had. The caller deletes it.
HFONT__* messageFont(int dpi);

// The outer size of a window of `style` and `exStyle` whose inside is `inner`, at `dpi`.
core::DeviceSize framedSize(core::DeviceSize inner, unsigned long style,
                            unsigned long exStyle, int dpi);

}  // namespace ruvia::platform::win32
