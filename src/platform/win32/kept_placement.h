// Win32 backend: the place and size the program gives the mascot's window, in device
// pixels, kept against the window manager by core's KeptPlace and KeptSize: only the
// program sizes her, so a size reported otherwise is put right, never laid out. What the
// program's own SetWindowPos sends back (WM_SIZE, WM_MOVE) is no report. No <windows.h>.
#pragma once

#include "core/kept_geometry.h"
#include "platform/types.h"

#include <chrono>

struct HWND__;

namespace ruvia::platform::win32 {

class KeptPlacement {
public:
    using Clock = std::chrono::steady_clock;

    // Where the program put the window and how large it made it.
    PixelRect rect() const { return placed_; }
    // While true, what the window hears of its place and size is the program's own doing.
    bool settingItself() const { return inOwnSetWindowPos_; }

    // The window was made at rect(): that is what is kept from now on.
    void made();
    // The program's own place, size or both, applied to `window` where it is made yet.
    void place(HWND__* window, int x, int y);
    void size(HWND__* window, int width, int height);
    void placeAndSize(HWND__* window, PixelRect rect);
    // The user put the window there (the move loop has moved it already).
    void adopt(int x, int y);
    void shown(Clock::time_point now) { keptPlace_.shown(now); }

    // The window system reports `window` at `device`.
    void sizeReported(HWND__* window, PixelRect device);
    void placeReported(HWND__* window, PixelRect device, Clock::time_point now);

private:
    void apply(HWND__* window, unsigned flags);

    PixelRect placed_{0, 0, 1, 1};
    core::KeptSize keptSize_;
    // Wine's stale places come later than i3's retakes: up to 1.5 s after a show.
    core::KeptPlace keptPlace_{std::chrono::milliseconds{1500}};
    bool inOwnSetWindowPos_ = false;
};

}  // namespace ruvia::platform::win32
