// Win32 backend: the window procedure of every window class of ours, which hands each
// message to the C++ object that owns the window. No <windows.h> here.
#pragma once

#include <cstdint>

struct HWND__;
struct HICON__;

namespace ruvia::platform::win32 {

// The Win32 types spelled without <windows.h>: LRESULT, WPARAM and LPARAM are these on
// 64-bit Windows.
using MessageResult = std::intptr_t;
using WParam = std::uintptr_t;
using LParam = std::intptr_t;

class MessageHandler {
public:
    // Messages it does not handle go to DefWindowProcW.
    virtual MessageResult onMessage(HWND__* hwnd, unsigned message, WParam wParam,
                                    LParam lParam) = 0;

protected:
    ~MessageHandler() = default;
};

struct WindowRecipe {
    const wchar_t* className;
    unsigned long style;
    unsigned long exStyle;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    HWND__* parent = nullptr;  // the owner of a top-level window, the parent of a child
    const wchar_t* title = L"";
    HICON__* icon = nullptr;
};

// Creates a window of one of our classes (registered on first use) whose messages go
// to `handler` until the window is destroyed. Throws std::runtime_error on failure.
HWND__* createHandledWindow(const WindowRecipe& recipe, MessageHandler& handler);

}  // namespace ruvia::platform::win32
