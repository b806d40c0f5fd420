#include "platform/win32/screen_capture.h"

#include "platform/win32/dib_surface.h"

#include <windows.h>

#include <stdexcept>

namespace ruvia::platform::win32 {
namespace {

// Time for the windows beneath to repaint what the hidden window uncovered. Under Wine
// and openbox, reading at once copied something else in 5 of 30 captures; after 15 ms,
// in none of 60 (the window then stays hidden about 22 ms in all).
constexpr DWORD kRepaintAllowanceMs = 15;

}  // namespace

void ScreenCapture::waitUntilOffScreen(HWND window) {
    if (!offScreenPending_) return;
    offScreenPending_ = false;
    if (IsWindowVisible(window)) return;
    Sleep(kRepaintAllowanceMs);
}

bool ScreenCapture::read(PixelRect deviceRect, core::Image& out) {
    const auto [x, y, width, height] = deviceRect;
    DibSurface grab;
    try {
        grab = DibSurface(width, height);
    } catch (const std::exception&) {
        return false;
    }
    HDC screen = GetDC(nullptr);
    if (screen == nullptr) return false;
    const BOOL copied = BitBlt(grab.dc(), 0, 0, width, height, screen, x, y, SRCCOPY | CAPTUREBLT);
    ReleaseDC(nullptr, screen);
    if (!copied) return false;
    out = core::Image(width, height);
    grab.copyTo(out, width, height);
    return true;
}

}  // namespace ruvia::platform::win32
