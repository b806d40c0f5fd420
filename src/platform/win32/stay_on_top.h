// Win32 backend: a window in or out of the topmost band, with the windows it owns (the
// menu) kept above it. No <windows.h> here.
#pragma once

struct HWND__;

namespace ruvia::platform::win32 {

// Whether the system took the change.
bool setTopmost(HWND__* window, bool on);

}  // namespace ruvia::platform::win32
