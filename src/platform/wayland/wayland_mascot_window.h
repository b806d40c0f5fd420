// Wayland backend: MascotWindow as a layer surface (zwlr_layer_shell_v1). Implements
// geometry/move/resize, show/hide/isVisible, adoptPresentation (always see-through),
// pixelFactor, present, copyScreenBehind (nothing to read), runMoveLoop, setStayOnTop
// and the mouse events. Her place is in the compositor's layout; the surface lies on the
// output that holds most of her, its margins her place there. Its definitions lie in
// two files: this window's own and the move loop (wayland_move_loop.cpp). No toolkit
// types here.
#pragma once

#include "core/image.h"
#include "core/motion_origin.h"
#include "platform/mascot_window.h"
#include "platform/wayland/layer_surface.h"
#include "platform/wayland/shm_frames.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

struct wl_callback;
struct wl_output;

namespace ruvia::platform::wayland {

class WaylandDisplay;
struct Output;

class WaylandMascotWindow : public MascotWindow {
public:
    // `pressed` is told of every button that goes down on her, before the form hears of
    // it (the menu closes then). `display` outlives the window.
    WaylandMascotWindow(WaylandDisplay& display, std::function<void()> pressed);
    ~WaylandMascotWindow() override;

    PixelRect geometry() const override { return place_; }
    void move(int x, int y) override;
    void resize(int width, int height) override;
    void show() override;
    void hide() override;
    bool isVisible() const override { return visible_; }
    Presentation adoptPresentation() override { return Presentation::SeeThrough; }
    int pixelFactor() const override;
    void present(const core::Image& deviceFrame) override;
    bool copyScreenBehind(core::Capture&, int, int) override { return false; }
    void runMoveLoop() override;
    bool setStayOnTop(bool on) override;

    // The move loop's bookkeeping while it runs (wayland_move_loop.cpp).
    struct Move;

private:
    const Output* outputHolding(PixelRect place, const wl_output* except = nullptr) const;
    // On the output that holds her now, anew where that is not the surface's own.
    void settleOnOutput(const wl_output* except = nullptr);
    void makeSurface(const Output& output);
    void putFrame();
    void outputsChanged();
    void surfaceClosed();

    void pointerMoved(double x, double y);
    void buttonChanged(uint32_t code, bool pressed);
    PixelPoint screenPoint(double x, double y) const;

    // wayland_move_loop.cpp
    void followedTo(double x, double y);
    void sawAfterRelease(std::optional<core::PointerAt> local);
    void leftWhileMoving();
    void buttonWhileMoving(uint32_t code, bool pressed);
    void commitPlaceFor(Move& move);

    WaylandDisplay& display_;
    // How the compositor measures a press's motion: first from its globals, then as it
    // shows after each drop.
    core::MotionReference motionReference_;
    std::function<void()> pressed_;
    PixelRect place_{0, 0, 1, 1};
    bool visible_ = false;
    Layer layer_ = Layer::Bottom;
    std::unique_ptr<LayerSurface> surface_;
    ShmFrames frames_;
    core::Image frame_;       // the last presented frame, device pixels
    int frameFactor_ = 1;     // the pixel factor it was drawn at
    bool frameWaiting_ = false;  // not yet on the surface: no buffer was free
    double pointerX_ = 0.0;  // where the pointer was last seen over her, surface-local
    double pointerY_ = 0.0;
    struct Press {
        MouseButton button;
        uint32_t code;
        double x, y;  // surface-local
    };
    std::optional<Press> press_;
    Move* move_ = nullptr;  // while the move loop runs
};

}  // namespace ruvia::platform::wayland
