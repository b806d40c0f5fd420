// Win32 backend: the dpi of a window or of the monitor under a place. The program is
// per-monitor dpi aware: every place and size the system gives it is in device pixels.
// No <windows.h> here.
#pragma once

#include "core/display_scale.h"
#include "platform/types.h"

struct HWND__;

namespace ruvia::platform::win32 {

using core::DisplayScale;
using core::displayScaleFor;

// The dpi the system gives the window (per monitor where it knows that), else the one of
// the monitor that holds most of `deviceRect`, else the system's.
int dpiOfWindow(HWND__* hwnd);
int dpiAt(PixelRect deviceRect);
// The system's own dpi, which is every monitor's where Windows knows no other.
int systemDpi();

}  // namespace ruvia::platform::win32
