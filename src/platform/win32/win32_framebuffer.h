// Win32 backend: puts the mascot's frames, already in device pixels, on screen.
// See-through, a frame goes to a layered window with per-pixel alpha, which the system
// keeps and shows by itself (also at the next show); captured, it is drawn onto the
// window, and again at every WM_PAINT. No <windows.h> here.
#pragma once

#include "core/image.h"
#include "platform/mascot_window.h"
#include "platform/win32/dib_surface.h"

struct HWND__;

namespace ruvia::platform::win32 {

class Framebuffer {
public:
    // Switches `window` between the two ways (the layered style on or off).
    static void changeOver(HWND__* window, Presentation how);

    // The frame, onto `window` where there is one yet.
    void present(HWND__* window, const core::Image& deviceFrame, Presentation how);
    // Answers WM_PAINT with the last frame; whether anything was to be repainted.
    bool paint(HWND__* window) const;

private:
    DibSurface frame_;
};

}  // namespace ruvia::platform::win32
