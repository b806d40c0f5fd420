// Starting the mascot at sign-in: a value in the user's Run registry key.
#pragma once

#include <string>

namespace ruvia::app::win32 {

// The command the Run value holds: this .exe, quoted, then `arguments`.
std::wstring autostartCommand(const std::wstring& arguments);

// Sets or deletes HKCU\Software\Microsoft\Windows\CurrentVersion\Run\RuviaMascot. Returns
// what happened, for the user; `ok` is false when it could not be done.
struct AutostartResult {
    bool ok = false;
    std::wstring message;
};
AutostartResult addAutostart(const std::wstring& command);
AutostartResult removeAutostart();

}  // namespace ruvia::app::win32
