// Win32 backend: MascotWindow. Implements geometry, move, resize, show, hide, isVisible,
// present, copyScreenBehind, runMoveLoop, setStayOnTop and the paint, resize and mouse
// events, on a borderless WS_POPUP window that never takes activation. No <windows.h>.
#pragma once

#include "platform/mascot_window.h"
#include "platform/win32/dib_surface.h"
#include "platform/win32/message_handler.h"

#include <chrono>
#include <optional>

namespace ruvia::platform::win32 {

class ActivationRelay;

class Win32MascotWindow final : public MascotWindow, private MessageHandler {
public:
    Win32MascotWindow(const ActivationRelay& activation, HICON__* icon);
    ~Win32MascotWindow() override;
    Win32MascotWindow(const Win32MascotWindow&) = delete;
    Win32MascotWindow& operator=(const Win32MascotWindow&) = delete;

    PixelRect geometry() const override;
    void move(int x, int y) override;
    void resize(int width, int height) override;
    void show() override;
    void hide() override;
    bool isVisible() const override;
    void present(const core::Image& frame) override;
    bool copyScreenBehind(core::Image& dst, int width, int height) override;
    void runMoveLoop() override;
    bool setStayOnTop(bool on) override;

    // The native window, for the windows it owns.
    HWND__* hwnd() const { return hwnd_; }

private:
    using Clock = std::chrono::steady_clock;

    MessageResult onMessage(HWND__* hwnd, unsigned message, WParam wParam,
                            LParam lParam) override;
    void painted();
    void pressed(MouseButton button, LParam lParam);
    void released(MouseButton button, LParam lParam);
    void sizeChanged();
    void waitUntilOffScreen();

    const ActivationRelay& activation_;
    HWND__* hwnd_ = nullptr;
    DibSurface frame_;

    // The repaint that the window's own show asks for is not the window system's.
    std::optional<Clock::time_point> swallowPaintUntil_;
    bool paintQueued_ = false;
    bool offScreenPending_ = false;  // hidden while on screen, the screen not yet read
    bool inMoveLoop_ = false;
    bool inResize_ = false;
    int reportedWidth_ = 0;
    int reportedHeight_ = 0;

    struct Press {
        MouseButton button;
        int screenX;
        int screenY;
    };
    std::optional<Press> press_;
};

}  // namespace ruvia::platform::win32
