// Win32 backend: Windows icon data from a picture whose top byte is alpha, for the .exe's
// icon resource. Plain C++ without <windows.h>: the build also runs it on the build
// machine to write the .ico that the resource compiler embeds.
#pragma once

#include "core/image.h"

#include <cstdint>
#include <vector>

namespace ruvia::platform::win32 {

// One icon image as Windows stores it (an RT_ICON resource): a BITMAPINFOHEADER of
// twice the height, the 32-bit colour rows bottom up (blue, green, red, alpha), then the
// 1-bit AND mask, set where alpha is 0, rows bottom up and padded to 32 bits.
std::vector<uint8_t> iconImage(const core::Image& argb);

// A whole .ico file holding that one image.
std::vector<uint8_t> icoFile(const core::Image& argb);

}  // namespace ruvia::platform::win32
