#include "platform/win32/win32_toolkit.h"

#include "core/image.h"
#include "core/rounding.h"
#include "platform/win32/activation_relay.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_mascot_window.h"
#include "platform/win32/win32_menu_window.h"
#include "platform/win32/win32_timer.h"
#include "platform/win32/window_icon.h"

#include <windows.h>

#include <utility>

namespace ruvia::platform::win32 {
namespace {

// Per session, like the one-copy rule: another user's mascot is not ours.
constexpr const wchar_t* kInstanceMutexName = L"Local\\RuviaMascot.OneCopy";

BOOL CALLBACK addMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM context) {
    auto& out = *reinterpret_cast<std::vector<PixelRect>*>(context);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(monitor, &info)) return TRUE;
    // The whole monitor: a task bar's area is not subtracted.
    const RECT& r = info.rcMonitor;
    const PixelRect rect{r.left, r.top, r.right - r.left, r.bottom - r.top};
    if (info.dwFlags & MONITORINFOF_PRIMARY)
        out.insert(out.begin(), rect);
    else
        out.push_back(rect);
    return TRUE;
}

}  // namespace

Win32Toolkit::Win32Toolkit()
    : activation_(std::make_unique<ActivationRelay>()), icon_(std::make_unique<WindowIcon>()) {}

Win32Toolkit::~Win32Toolkit() {
    if (instanceMutex_ != nullptr) CloseHandle(instanceMutex_);
}

std::unique_ptr<MascotWindow> Win32Toolkit::createMascotWindow() {
    SurroundingsCallbacks surroundings{
        .screensChanged = [this] {
            if (events.screensChanged) events.screensChanged();
        },
        .endAsked = [this](EndTiming timing) { askEnd(timing); }};
    auto window = std::make_unique<Win32MascotWindow>(*activation_, icon_->handle(),
                                                      std::move(surroundings));
    mascot_ = window.get();
    return window;
}

DisplayScale Win32Toolkit::scale() const {
    return mascot_ != nullptr ? mascot_->scale() : displayScaleFor(dpiAt({0, 0, 1, 1}));
}

std::unique_ptr<MenuWindow> Win32Toolkit::createMenuWindow() {
    return std::make_unique<Win32MenuWindow>(*this, *activation_, icon_->handle());
}

std::unique_ptr<Timer> Win32Toolkit::createTimer() { return std::make_unique<Win32Timer>(); }

void Win32Toolkit::doEvents() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // The end belongs to the outer loop: leave it for that loop to see.
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

int Win32Toolkit::runEventLoop() {
    MSG msg{};
    for (;;) {
        // Here no handler of the forms is under way: a drag or a capture is over.
        if (askedEnd_ == AskedEnd::Pending) raiseEndAsked();
        // Not only on WM_QUIT: a nested loop that ends on it may have taken it for its own.
        if (endRequested_ || GetMessageW(&msg, nullptr, 0, 0) <= 0) break;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return endRequested_ ? exitCode_ : static_cast<int>(msg.wParam);
}

void Win32Toolkit::askEnd(EndTiming timing) {
    if (askedEnd_ == AskedEnd::Raised) return;
    askedEnd_ = AskedEnd::Pending;
    if (timing == EndTiming::Now) raiseEndAsked();
}

void Win32Toolkit::raiseEndAsked() {
    askedEnd_ = AskedEnd::Raised;
    // Already ending (the exit item was chosen): saving again could only say again what
    // the exit item has said.
    if (endRequested_) return;
    if (events.endAsked)
        events.endAsked();
    else
        endProgram(0);
}

// Of the mascot's monitor: the forms measure in its scene pixels.
double Win32Toolkit::twipsPerPixel() const { return scale().twipsPerScenePixel(); }

std::vector<PixelRect> Win32Toolkit::screens() const {
    std::vector<PixelRect> out;
    EnumDisplayMonitors(nullptr, nullptr, addMonitor, reinterpret_cast<LPARAM>(&out));
    // In the mascot's scene pixels, a part pixel counting as none.
    const int f = scale().factor;
    for (PixelRect& r : out) {
        using core::floorDiv;
        const int left = -floorDiv(-r.x, f), top = -floorDiv(-r.y, f);
        r = {left, top, floorDiv(r.x + r.width, f) - left, floorDiv(r.y + r.height, f) - top};
    }
    return out;
}

bool Win32Toolkit::previousInstanceRunning() {
    if (instanceMutex_ != nullptr) return false;
    HANDLE mutex = CreateMutexW(nullptr, FALSE, kInstanceMutexName);
    if (mutex == nullptr) return false;  // no way to tell: better two copies than none
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return true;
    }
    instanceMutex_ = mutex;
    return false;
}

void Win32Toolkit::messageBox(const std::string& text, const std::string& title,
                              MessageBoxStyle) {
    MessageBoxW(nullptr, widen(text).c_str(), widen(title).c_str(), MB_OK | MB_SETFOREGROUND);
}

uint32_t Win32Toolkit::resolveColor(OleColor color) const {
    if (color & kSystemColorFlag)
        return core::pixelFromColorRef(GetSysColor(static_cast<int>(color & 0xFF)));
    return core::pixelFromColorRef(color & 0xFFFFFF);
}

void Win32Toolkit::reportError(const std::string& line) {
    // A GUI program has an error stream only where its starter gave it one.
    const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    if (error == nullptr || error == INVALID_HANDLE_VALUE) return;
    const std::string text = "RuviaMascot: " + line + "\n";
    DWORD written = 0;
    WriteFile(error, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

void Win32Toolkit::endProgram(int exitCode) {
    endRequested_ = true;
    exitCode_ = exitCode;
    PostQuitMessage(exitCode);
}

}  // namespace ruvia::platform::win32
