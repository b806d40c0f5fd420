#include "app/win32/autostart.h"

#include <windows.h>

#include <vector>

namespace ruvia::app::win32 {

namespace {

constexpr const wchar_t* kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const wchar_t* kValueName = L"RuviaMascot";
constexpr const wchar_t* kWhere = L"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\"
                                  L"CurrentVersion\\Run";

// The registry functions are taken from kernel32, which has carried them since Windows 7,
// so that the .exe needs no DLL beyond the ones it already uses (advapi32 would be new).
template <typename Function>
Function fromKernel32(const char* name) {
    const HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
    const FARPROC found = kernel32 ? GetProcAddress(kernel32, name) : nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

struct Registry {
    using CreateKey = decltype(&RegCreateKeyExW);
    using SetValue = decltype(&RegSetValueExW);
    using DeleteValue = decltype(&RegDeleteValueW);
    using CloseKey = decltype(&RegCloseKey);
    CreateKey createKey = fromKernel32<CreateKey>("RegCreateKeyExW");
    SetValue setValue = fromKernel32<SetValue>("RegSetValueExW");
    DeleteValue deleteValue = fromKernel32<DeleteValue>("RegDeleteValueW");
    CloseKey closeKey = fromKernel32<CloseKey>("RegCloseKey");

    bool usable() const { return createKey && setValue && deleteValue && closeKey; }
};

std::wstring systemReason(LONG code) {
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                       FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&text), 0,
                   nullptr);
    std::wstring reason = text ? text : L"error " + std::to_wstring(code);
    if (text) LocalFree(text);
    while (!reason.empty() && (reason.back() == L'\n' || reason.back() == L'\r'))
        reason.pop_back();
    return reason;
}

AutostartResult failed(const std::wstring& what, LONG code) {
    return {false, what + L" " + kWhere + L": " + systemReason(code)};
}

// Opens (or makes) the Run key for `change`, and closes it again.
template <typename Change>
AutostartResult withRunKey(Change change) {
    const Registry registry;
    if (!registry.usable()) return {false, L"This Windows has no registry functions in kernel32."};
    HKEY key = nullptr;
    const LONG code = registry.createKey(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0,
                                         KEY_SET_VALUE, nullptr, &key, nullptr);
    if (code != ERROR_SUCCESS) return failed(L"Could not open", code);
    AutostartResult result = change(registry, key);
    registry.closeKey(key);
    return result;
}

}  // namespace

std::wstring autostartCommand(const std::wstring& arguments) {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) return L"\"" + std::wstring(path.data(), n) + L"\" " + arguments;
        path.resize(path.size() * 2);
    }
}

AutostartResult addAutostart(const std::wstring& command) {
    return withRunKey([&](const Registry& registry, HKEY key) -> AutostartResult {
        const auto* bytes = reinterpret_cast<const BYTE*>(command.c_str());
        const auto size = static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t));
        const LONG code = registry.setValue(key, kValueName, 0, REG_SZ, bytes, size);
        if (code != ERROR_SUCCESS) return failed(L"Could not write to", code);
        return {true, L"RuviaMascot now starts when you sign in (" + std::wstring(kWhere) +
                          L"\\" + kValueName + L" = " + command + L")."};
    });
}

AutostartResult removeAutostart() {
    return withRunKey([](const Registry& registry, HKEY key) -> AutostartResult {
        const LONG code = registry.deleteValue(key, kValueName);
        if (code == ERROR_FILE_NOT_FOUND)
            return {true, L"RuviaMascot was not set to start when you sign in: nothing to remove."};
        if (code != ERROR_SUCCESS) return failed(L"Could not delete the value in", code);
        return {true, L"RuviaMascot no longer starts when you sign in."};
    });
}

}  // namespace ruvia::app::win32
