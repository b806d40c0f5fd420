// Win32 backend: MascotWindow. Implements geometry, move, resize, show, hide, isVisible,
// present, copyScreenBehind, runMoveLoop, setStayOnTop and the paint, resize and mouse
// events, on a borderless WS_POPUP window that never takes activation; what it hears of
// the screens and of the program's end goes to the toolkit's callbacks. No <windows.h>.
// Frames go on screen through Framebuffer, the screen behind is read by ScreenCapture,
// and the place and size are kept against the window manager by KeptPlacement.
//
// The native window is made on the first show, at the place and size the program has
// set by then: a window made small and moved while hidden lets a stale report of the
// window manager (Wine's, under load) put it back there.
#pragma once

#include "core/click_rule.h"
#include "core/expose_gate.h"
#include "platform/mascot_window.h"
#include "platform/win32/display_scale.h"
#include "platform/win32/kept_placement.h"
#include "platform/win32/message_handler.h"
#include "platform/win32/presentation_choice.h"
#include "platform/win32/screen_capture.h"
#include "platform/win32/surroundings_listener.h"
#include "platform/win32/win32_framebuffer.h"

#include <chrono>
#include <optional>

struct tagRECT;

namespace ruvia::platform::win32 {

class ActivationRelay;

class Win32MascotWindow final : public MascotWindow, private MessageHandler {
public:
    Win32MascotWindow(const ActivationRelay& activation, HICON__* icon,
                      SurroundingsCallbacks surroundings);
    ~Win32MascotWindow() override;
    Win32MascotWindow(const Win32MascotWindow&) = delete;
    Win32MascotWindow& operator=(const Win32MascotWindow&) = delete;

    PixelRect geometry() const override;
    void move(int x, int y) override;
    void resize(int width, int height) override;
    void show() override;
    void hide() override;
    bool isVisible() const override;
    Presentation adoptPresentation() override;
    int pixelFactor() const override { return scale().factor; }
    void present(const core::Image& deviceFrame) override;
    bool copyScreenBehind(core::Capture& into, int width, int height) override;
    void runMoveLoop() override;
    bool setStayOnTop(bool on) override;

    // The native window; none before the first show.
    HWND__* hwnd() const { return hwnd_; }
    // The native window, made now if it was not yet (for a window it is to own).
    HWND__* ensureCreated();
    // The monitor's dpi and the art's factor where the window is (or will be made).
    DisplayScale scale() const;

private:
    using Clock = std::chrono::steady_clock;

    MessageResult onMessage(HWND__* hwnd, unsigned message, WParam wParam,
                            LParam lParam) override;
    Presentation presentation() const;
    void painted();
    void requestPaint();
    void pressed(MouseButton button, LParam lParam);
    void released(MouseButton button, LParam lParam);
    void create();
    PixelRect deviceRect() const;
    PixelPoint scenePoint(LParam lParam) const;
    void dpiChanged(int dpi, const tagRECT& suggested);

    const ActivationRelay& activation_;
    HICON__* icon_;
    HWND__* hwnd_ = nullptr;
    KeptPlacement placement_;
    DisplayScale scale_;      // of the window once it is made
    PresentationChoice presentation_;
    SurroundingsListener surroundings_;
    bool layered_ = false;  // see-through: WS_EX_LAYERED, frames with per-pixel alpha
    Framebuffer framebuffer_;

    // The repaint that the window's own show asks for is not the window system's: Windows
    // sends one WM_PAINT for a show, within half a second if at all.
    core::ExposeGate showPaints_{core::ExposeSource::ServerBurst, std::chrono::milliseconds{500}};
    bool paintQueued_ = false;
    ScreenCapture capture_;
    bool inMoveLoop_ = false;

    struct Press {
        MouseButton button;
        PixelPoint screen;
    };
    std::optional<Press> press_;
    core::ClickRule clicks_;
};

}  // namespace ruvia::platform::win32
