#include "platform/win32/display_scale.h"

#include <windows.h>

namespace ruvia::platform::win32 {
namespace {

constexpr int kBaseDpi = 96;

// Looked up at run time: Windows 10 and 8.1 have them, older ones do not, and the .exe
// imports nothing beyond what every Windows has.
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI

template <typename Fn>
Fn systemFunction(const wchar_t* dll, const char* name, bool load) {
    HMODULE module = load ? LoadLibraryW(dll) : GetModuleHandleW(dll);
    return module != nullptr ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                             : nullptr;
}

}  // namespace

int systemDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen != nullptr) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kBaseDpi;
}

int dpiOfWindow(HWND hwnd) {
    static const auto getDpiForWindow =
        systemFunction<GetDpiForWindowFn>(L"user32.dll", "GetDpiForWindow", false);
    if (hwnd != nullptr && getDpiForWindow != nullptr) {
        if (const UINT dpi = getDpiForWindow(hwnd); dpi > 0) return static_cast<int>(dpi);
    }
    RECT r{};
    if (hwnd == nullptr || !GetWindowRect(hwnd, &r)) return systemDpi();
    return dpiAt({r.left, r.top, r.right - r.left, r.bottom - r.top});
}

int dpiAt(PixelRect deviceRect) {
    static const auto getDpiForMonitor =
        systemFunction<GetDpiForMonitorFn>(L"shcore.dll", "GetDpiForMonitor", true);
    if (getDpiForMonitor != nullptr) {
        const RECT r{deviceRect.x, deviceRect.y, deviceRect.x + deviceRect.width,
                     deviceRect.y + deviceRect.height};
        UINT x = 0, y = 0;
        if (getDpiForMonitor(MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST), kEffectiveDpi, &x,
                             &y) == S_OK &&
            y > 0)
            return static_cast<int>(y);
    }
    return systemDpi();
}

}  // namespace ruvia::platform::win32
