// Win32 backend: the system's move loop, as a press on a title bar starts it, and the
// wait for the place it leaves the window at. No <windows.h> here.
#pragma once

#include "platform/types.h"

struct HWND__;

namespace ruvia::platform::win32 {

// The pointer's place on the screen, in device pixels.
PixelPoint pointerPosition();

// Moves `window` with the pointer until the button comes up; returns the pointer's
// place then.
PixelPoint runSystemMoveLoop(HWND__* window);

// Waits, a quarter of a second at most, until `window` stands at `place`.
void waitUntilAt(HWND__* window, PixelPoint place);

}  // namespace ruvia::platform::win32
