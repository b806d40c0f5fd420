#include "platform/win32/stay_on_top.h"

#include <windows.h>

#include <utility>
#include <vector>

namespace ruvia::platform::win32 {
namespace {

constexpr UINT kFlags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;

bool isTopmost(HWND hwnd) { return (GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

std::vector<HWND> ownedWindows(HWND owner) {
    std::vector<HWND> out;
    auto collect = [](HWND w, LPARAM context) -> BOOL {
        auto& found = *reinterpret_cast<std::pair<HWND, std::vector<HWND>*>*>(context);
        if (GetWindow(w, GW_OWNER) == found.first) found.second->push_back(w);
        return TRUE;
    };
    std::pair<HWND, std::vector<HWND>*> context{owner, &out};
    EnumThreadWindows(GetCurrentThreadId(), collect, reinterpret_cast<LPARAM>(&context));
    return out;
}

}  // namespace

bool setTopmost(HWND window, bool on) {
    const bool done =
        SetWindowPos(window, on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, kFlags) != FALSE;
    if (!done || !on || isTopmost(window)) return done;
    // Wine moves the windows this one owns (the menu) into the topmost band first and
    // then puts this one just below them, where it stays out of the band. Without
    // owned windows in the way it goes straight in; they follow it after.
    const std::vector<HWND> owned = ownedWindows(window);
    for (HWND w : owned) SetWindowLongPtrW(w, GWLP_HWNDPARENT, 0);
    const bool again = SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, kFlags) != FALSE;
    for (HWND w : owned) {
        SetWindowLongPtrW(w, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(window));
        SetWindowPos(w, HWND_TOPMOST, 0, 0, 0, 0, kFlags);
    }
    return again;
}

}  // namespace ruvia::platform::win32
