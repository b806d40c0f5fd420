// Win32 backend: the dpi of a window or of the monitor under a place, and what follows
// from it for the forms. The program is per-monitor dpi aware: every place and size the
// system gives it is in device pixels. No <windows.h> here.
//
// The forms work in scene pixels. Below 200 % a scene pixel is a device pixel and a
// twip is dpi/1440 of one (15 twips at 96 dpi, 12 at 120, 10 at 144). From 200 % on,
// the art is drawn at the whole-number factor (every device pixel a copy of one art
// pixel, never smoothed) so she keeps her size: a scene pixel is then factor x factor
// device pixels, and the twips follow the dpi all the same (7.5 a device pixel at 192).
#pragma once

#include "platform/types.h"

struct HWND__;

namespace ruvia::platform::win32 {

struct DisplayScale {
    int dpi = 96;
    int factor = 1;  // device pixels per scene pixel, each way
    double twipsPerScenePixel() const { return 1440.0 * factor / dpi; }
    friend bool operator==(const DisplayScale&, const DisplayScale&) = default;
};

DisplayScale displayScaleFor(int dpi);

// The dpi the system gives the window (per monitor where it knows that), else the one of
// the monitor that holds most of `deviceRect`, else the system's.
int dpiOfWindow(HWND__* hwnd);
int dpiAt(PixelRect deviceRect);

}  // namespace ruvia::platform::win32
