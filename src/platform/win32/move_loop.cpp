#include "platform/win32/move_loop.h"

#include <windows.h>

#include <chrono>

namespace ruvia::platform::win32 {
namespace {

// How long a move's last place may take to arrive; longer only where the window manager
// did not put the window where the pointer let go (held at a screen edge).
constexpr std::chrono::milliseconds kMoveSettleTime{250};

}  // namespace

PixelPoint pointerPosition() {
    POINT p{};
    GetCursorPos(&p);
    return {p.x, p.y};
}

PixelPoint runSystemMoveLoop(HWND window) {
    ReleaseCapture();
    // As a press on a title bar: the system's move loop, which returns on release.
    SendMessageW(window, WM_NCLBUTTONDOWN, HTCAPTION, 0);
    return pointerPosition();
}

void waitUntilAt(HWND window, PixelPoint place) {
    // Under a window manager (Wine on X) the window manager moves the window, and the
    // last place reaches the window a moment after the release: a place read at once
    // is an old one, and the hold and the capture that follow would use it.
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + kMoveSettleTime;
    while (Clock::now() < deadline) {
        RECT r{};
        GetWindowRect(window, &r);
        if (r.left == place.x && r.top == place.y) return;
        // Lets the system deliver what it has for the window (sent messages only; the
        // posted ones wait for the program's own loop).
        MsgWaitForMultipleObjectsEx(0, nullptr, 5, QS_ALLINPUT, 0);
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
    }
}

}  // namespace ruvia::platform::win32
