// Sim backend: MascotWindow, a rectangle on the simulated desktop showing its last frame.
#pragma once

#include "platform/mascot_window.h"
#include "platform/sim/sim_desktop.h"

#include <functional>

namespace ruvia::sim {

class SimMascotWindow : public platform::MascotWindow, public SimWindow {
public:
    explicit SimMascotWindow(SimDesktop& desktop);
    ~SimMascotWindow() override;

    platform::PixelRect geometry() const override { return rect; }
    void move(int x, int y) override;
    void resize(int width, int height) override;
    void show() override;
    void hide() override;
    bool isVisible() const override { return visible; }
    int pixelFactor() const override { return desktop_.pixelFactor(); }
    void present(const core::Image& deviceFrame) override;
    platform::Presentation adoptPresentation() override { return presentation; }
    bool copyScreenBehind(core::Capture& into, int width, int height) override;
    void runMoveLoop() override;
    bool setStayOnTop(bool on) override;

    const core::Image& shownFrame() const { return frame_; }
    int captures = 0;
    bool screenReadable = true;  // false: like a desktop whose screen cannot be read
    platform::Presentation presentation = platform::Presentation::Captured;
    std::function<void()> duringMoveLoop;  // runs while the user is moving the window

    void render(core::Image& screen, int factor) const override;
    void mousePress(platform::PixelPoint local, platform::PixelPoint onScreen,
                    platform::MouseButton b) override;
    void mouseRelease(platform::PixelPoint local, platform::PixelPoint onScreen,
                      platform::MouseButton b) override;
    void paintRequested() override;

private:
    SimDesktop& desktop_;
    core::Image frame_;
};

}  // namespace ruvia::sim
