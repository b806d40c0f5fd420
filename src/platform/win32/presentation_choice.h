// Win32 backend: whether the mascot is shown see-through (a layered window with
// per-pixel alpha) or over a copy of the screen. See-through wherever the desktop
// composites windows (always on Windows 8 and later; Vista and 7 with Aero): there,
// reading the screen behind a window that was just hidden can copy the window itself,
// and an uncover sends no WM_PAINT. No <windows.h> here.
#pragma once

namespace ruvia::platform::win32 {

class PresentationChoice {
public:
    // Asked at each capture: composition can be switched on and off on Vista and 7.
    // RUVIA_PRESENTATION=see-through or =captured decides instead, for Wine (whose
    // answer is not Windows') and for tests of both ways.
    bool seeThrough() const;
};

}  // namespace ruvia::platform::win32
