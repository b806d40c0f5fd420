// Win32 backend: reading the screen behind the mascot's window while it is hidden. The
// screen itself is read: a hidden window's own DC does not show what lies behind it,
// neither under Wine nor with a compositor. No <windows.h> here.
#pragma once

#include "core/image.h"
#include "platform/types.h"

struct HWND__;

namespace ruvia::platform::win32 {

class ScreenCapture {
public:
    // The window was hidden while on screen: the windows beneath are still repainting
    // what it uncovered.
    void hidden() { offScreenPending_ = true; }
    // Once after a hide, waits until they are done; not when `window` is shown again.
    void waitUntilOffScreen(HWND__* window);
    // The screen's pixels in `deviceRect` into `out`; false, `out` untouched, when they
    // cannot be read.
    static bool read(PixelRect deviceRect, core::Image& out);

private:
    bool offScreenPending_ = false;
};

}  // namespace ruvia::platform::win32
