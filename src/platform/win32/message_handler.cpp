#include "platform/win32/message_handler.h"

#include "platform/win32/system_error.h"
#include "platform/win32/wide_text.h"

#include <windows.h>

#include <exception>
#include <stdexcept>

namespace ruvia::platform::win32 {
namespace {

LRESULT CALLBACK handledWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* handler = reinterpret_cast<MessageHandler*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (message == WM_NCDESTROY) SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    if (handler == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
    try {
        return handler->onMessage(hwnd, message, wParam, lParam);
    } catch (const std::exception& e) {
        // An error abandons the handler it happened in; it must not unwind through the
        // system's frames. The program cannot go on sensibly after it: say so and end.
        MessageBoxW(nullptr, widen(e.what()).c_str(), L"RuviaMascot", MB_OK | MB_ICONERROR);
        PostQuitMessage(1);
        return 0;
    }
}

void registerClass(const wchar_t* name, HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = handledWindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = name;
    if (RegisterClassExW(&wc) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        throw std::runtime_error("cannot register the window class: " + lastErrorText());
}

}  // namespace

HWND__* createHandledWindow(const WindowRecipe& recipe, MessageHandler& handler) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    registerClass(recipe.className, instance);
    HWND hwnd = CreateWindowExW(recipe.exStyle, recipe.className, recipe.title, recipe.style, recipe.x,
                                recipe.y, recipe.width, recipe.height, recipe.parent, nullptr, instance,
                                &handler);
    if (hwnd == nullptr) throw std::runtime_error("cannot create a window: " + lastErrorText());
    if (recipe.icon != nullptr) {
        SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(recipe.icon));
        SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(recipe.icon));
    }
    return hwnd;
}

}  // namespace ruvia::platform::win32
