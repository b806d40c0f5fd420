#include "platform/win32/win32_timer.h"

#include <windows.h>

namespace ruvia::platform::win32 {
namespace {
constexpr UINT_PTR kTimerId = 1;
}

Win32Timer::Win32Timer() {
    hwnd_ = createHandledWindow(
        {.className = L"RuviaTimer", .style = 0, .exStyle = 0, .parent = HWND_MESSAGE}, *this);
}

Win32Timer::~Win32Timer() { DestroyWindow(hwnd_); }

void Win32Timer::setInterval(int milliseconds) {
    interval_ = milliseconds;
    if (milliseconds <= 0) {
        // Also drops a tick that is already due but not yet delivered.
        KillTimer(hwnd_, kTimerId);
        return;
    }
    // Setting the same id again restarts the period from now.
    SetTimer(hwnd_, kTimerId, static_cast<UINT>(milliseconds), nullptr);
}

MessageResult Win32Timer::onMessage(HWND hwnd, unsigned message, WParam wParam, LParam lParam) {
    if (message == WM_TIMER && wParam == kTimerId) {
        if (interval_ > 0 && onTick) onTick();
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace ruvia::platform::win32
