// The Windows program: the mascot on the Win32 API.
#include "mascot/form1.h"
#include "platform/win32/win32_toolkit.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    ruvia::platform::win32::Win32Toolkit toolkit;
    ruvia::mascot::Form1 form(toolkit);
    form.Form_Load();
    if (toolkit.endRequested()) return toolkit.exitCode();
    return toolkit.runEventLoop();
}
