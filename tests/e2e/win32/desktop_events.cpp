// What Windows itself does to a running program, for the tests under Wine to do on
// purpose: end the user's session with it, or change the display's resolution.
//
//   desktop_events query-end-session   asks the mascot's window whether the session may
//                                      end; prints its answer (1 yes, 0 no)
//   desktop_events end-session         asks, then ends the session as Windows does: the
//                                      process is killed as soon as its window has
//                                      handled WM_ENDSESSION
//   desktop_events display W H         sets the primary display to W x H pixels
//
// Ends with 0 when it did what it was asked, 1 otherwise, saying why on stderr.
#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace {

constexpr const wchar_t* kMascotClass = L"RuviaMascotWindow";
constexpr UINT kAnswerTimeoutMs = 5000;

int fail(const char* what) {
    std::fprintf(stderr, "desktop_events: %s (error %lu)\n", what, GetLastError());
    return 1;
}

// What a session's end asks first; Windows sends it to every top-level window.
bool askToEnd(HWND window, bool& mayEnd) {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL,
                             kAnswerTimeoutMs, &answer))
        return false;
    mayEnd = answer != FALSE;
    return true;
}

int endSession(HWND window, bool thenEnd) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    if (process == nullptr) return fail("cannot open the mascot's process");
    bool mayEnd = false;
    if (!askToEnd(window, mayEnd)) return fail("no answer to WM_QUERYENDSESSION");
    std::printf("%d\n", mayEnd ? 1 : 0);
    if (!thenEnd) return 0;
    if (!mayEnd) return fail("the program refused to let the session end");
    DWORD_PTR ignored = 0;
    if (!SendMessageTimeoutW(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL,
                             kAnswerTimeoutMs, &ignored))
        return fail("no answer to WM_ENDSESSION");
    // Whatever the program did not do inside its handler is lost, as on Windows.
    TerminateProcess(process, 0x40010004);  // DBG_TERMINATE_PROCESS, what logoff gives
    WaitForSingleObject(process, kAnswerTimeoutMs);
    CloseHandle(process);
    return 0;
}

int setDisplay(int width, int height) {
    DEVMODEW mode{};
    mode.dmSize = sizeof mode;
    mode.dmPelsWidth = static_cast<DWORD>(width);
    mode.dmPelsHeight = static_cast<DWORD>(height);
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    const LONG result = ChangeDisplaySettingsExW(nullptr, &mode, nullptr, 0, nullptr);
    if (result != DISP_CHANGE_SUCCESSFUL) {
        std::fprintf(stderr, "desktop_events: %dx%d refused (%ld)\n", width, height, result);
        return 1;
    }
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 4 && std::wcscmp(argv[1], L"display") == 0)
        return setDisplay(_wtoi(argv[2]), _wtoi(argv[3]));
    const bool query = argc == 2 && std::wcscmp(argv[1], L"query-end-session") == 0;
    const bool end = argc == 2 && std::wcscmp(argv[1], L"end-session") == 0;
    if (!query && !end) {
        std::fprintf(stderr, "usage: desktop_events query-end-session | end-session | "
                             "display W H\n");
        return 2;
    }
    HWND window = FindWindowW(kMascotClass, nullptr);
    if (window == nullptr) return fail("no mascot window");
    return endSession(window, end);
}
