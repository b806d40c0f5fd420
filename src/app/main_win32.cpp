// The Windows program: the mascot on the Win32 API.
#include "app/win32/command_line_actions.h"
#include "mascot/form1.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_toolkit.h"

#include <windows.h>

#include <exception>
#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    namespace win32 = ruvia::app::win32;
    try {
        const auto line = win32::readCommandLine(win32::programArguments());
        if (const auto status = win32::answerCommandLine(line)) return *status;
        const auto settings = win32::settingsChoice(line);
        if (!settings) return 1;
        ruvia::platform::win32::Win32Toolkit toolkit;
        ruvia::mascot::Form1 form(toolkit, settings->file, settings->folder);
        form.Form_Load();
        if (toolkit.endRequested()) return toolkit.exitCode();
        return toolkit.runEventLoop();
    } catch (const std::exception& e) {
        // Also to the error stream, where one is attached: when no window can be made,
        // the message box cannot show either.
        const std::string line = std::string("RuviaMascot: ") + e.what() + "\n";
        DWORD written = 0;
        const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
        if (error != nullptr && error != INVALID_HANDLE_VALUE)
            WriteFile(error, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        // A GUI program has no console: the reason goes where the user can read it.
        MessageBoxW(nullptr, ruvia::platform::win32::widen(e.what()).c_str(), L"RuviaMascot",
                    MB_OK | MB_ICONERROR);
        return 1;
    }
}
