#include "platform/win32/surroundings_listener.h"

#include <windows.h>

namespace ruvia::platform::win32 {
namespace {

// Past the mascot window's own private messages (WM_APP + 1 to 4).
constexpr UINT kScreensChanged = WM_APP + 16;

}  // namespace

bool SurroundingsListener::handle(HWND hwnd, unsigned message, WParam wParam,
                                  MessageResult& result) {
    result = 0;
    switch (message) {
    case WM_CLOSE:
        // What taskkill without /F and the task bar's close send: the program ends as
        // its exit item ends it, instead of the window going and the program staying.
        askEnd(EndTiming::BackInLoop);
        return true;
    case WM_QUERYENDSESSION:
        // Nothing to ask the user: her place is saved when the end really comes.
        result = TRUE;
        return true;
    case WM_ENDSESSION:
        // With FALSE the end was called off by someone else.
        if (wParam != FALSE) askEnd(EndTiming::Now);
        return true;
    case WM_DISPLAYCHANGE:
        screensMayHaveChanged(hwnd);
        return true;
    case WM_SETTINGCHANGE:
        if (wParam != SPI_SETWORKAREA) return false;
        screensMayHaveChanged(hwnd);
        return true;
    case kScreensChanged:
        screensQueued_ = false;
        if (callbacks_.screensChanged) callbacks_.screensChanged();
        return true;
    default:
        return false;
    }
}

void SurroundingsListener::screensMayHaveChanged(HWND hwnd) {
    // A resolution change brings a display change and a work area change, and more than
    // one of each where several monitors change: the form hears of them once.
    if (!screensQueued_ && PostMessageW(hwnd, kScreensChanged, 0, 0)) screensQueued_ = true;
}

void SurroundingsListener::askEnd(EndTiming timing) const {
    if (callbacks_.endAsked) callbacks_.endAsked(timing);
}

}  // namespace ruvia::platform::win32
