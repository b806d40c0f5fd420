#include "platform/win32/presentation_choice.h"

#include <windows.h>

#include <cwchar>

namespace ruvia::platform::win32 {
namespace {

// dwmapi.dll is looked up at run time: XP has none, and the .exe imports only what every
// Windows has.
using DwmIsCompositionEnabledFn = HRESULT(WINAPI*)(BOOL*);

bool desktopComposites() {
    static const auto isEnabled = [] {
        HMODULE dwm = LoadLibraryW(L"dwmapi.dll");
        return dwm != nullptr ? reinterpret_cast<DwmIsCompositionEnabledFn>(
                                    reinterpret_cast<void*>(GetProcAddress(dwm, "DwmIsCompositionEnabled")))
                              : nullptr;
    }();
    BOOL enabled = FALSE;
    return isEnabled != nullptr && isEnabled(&enabled) == S_OK && enabled;
}

}  // namespace

bool PresentationChoice::seeThrough() const {
    wchar_t chosen[32] = L"";
    if (GetEnvironmentVariableW(L"RUVIA_PRESENTATION", chosen, 32) > 0) {
        if (std::wcscmp(chosen, L"see-through") == 0) return true;
        if (std::wcscmp(chosen, L"captured") == 0) return false;
    }
    return desktopComposites();
}

}  // namespace ruvia::platform::win32
