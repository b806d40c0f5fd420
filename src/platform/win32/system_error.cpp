#include "platform/win32/system_error.h"

#include "platform/win32/wide_text.h"

#include <windows.h>

namespace ruvia::platform::win32 {

std::string systemErrorText(unsigned long code) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = length > 0 ? std::wstring(text, length) : std::wstring();
    LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' ||
                                 message.back() == L' ' || message.back() == L'.'))
        message.pop_back();
    return (message.empty() ? "error" : narrow(message)) + " (error " + std::to_string(code) + ")";
}

std::string lastErrorText() { return systemErrorText(GetLastError()); }

}  // namespace ruvia::platform::win32
