#include "platform/sim/sim_mascot_window.h"

#include "core/raster_ops.h"

#include <algorithm>

namespace ruvia::sim {

SimMascotWindow::SimMascotWindow(SimDesktop& desktop) : desktop_(desktop) {
    name = "mascot";
    desktop_.addWindow(*this);
}

SimMascotWindow::~SimMascotWindow() { desktop_.removeWindow(*this); }

void SimMascotWindow::move(int x, int y) {
    rect.x = x;
    rect.y = y;
}

void SimMascotWindow::resize(int width, int height) {
    if (width == rect.width && height == rect.height) return;
    rect.width = width;
    rect.height = height;
    if (!events.resize) return;
    desktop_.record("resize");
    events.resize();
}

void SimMascotWindow::show() {
    desktop_.record("show");
    if (visible) return;
    visible = true;
    // A window that appears must paint itself, as with a real window system.
    desktop_.expose(*this);
}

void SimMascotWindow::hide() {
    desktop_.record("hide");
    visible = false;
}

void SimMascotWindow::present(const core::Image& deviceFrame) {
    desktop_.record("present");
    frame_ = deviceFrame;
}

bool SimMascotWindow::copyScreenBehind(core::Capture& into, int width, int height) {
    desktop_.record(visible ? "read while visible" : "read");
    ++captures;
    if (!screenReadable) return false;
    const core::Image screen = desktop_.screenshot();
    const int f = desktop_.pixelFactor();
    into.factor = f;
    into.pixels = core::Image(width * f, height * f, core::kTransparent);
    core::bitBlt(into.pixels, 0, 0, width * f, height * f, screen, rect.x * f, rect.y * f,
                 core::RasterOp::SrcCopy);
    return true;
}

void SimMascotWindow::runMoveLoop() {
    desktop_.record("move loop");
    if (duringMoveLoop) duringMoveLoop();
    platform::PixelPoint offset;
    if (desktop_.takeDragOffset(offset)) move(rect.x + offset.x, rect.y + offset.y);
}

bool SimMascotWindow::setStayOnTop(bool on) {
    topMost = on;
    return true;
}

void SimMascotWindow::render(core::Image& screen, int factor) const {
    const int left = rect.x * factor;
    const int top = rect.y * factor;
    const int width = rect.width * factor;
    const int height = rect.height * factor;
    if (presentation == platform::Presentation::Captured) {
        core::bitBlt(screen, left, top, width, height, frame_, 0, 0, core::RasterOp::SrcCopy);
        return;
    }
    // A compositor: opaque pixels cover the screen, transparent ones leave it be.
    for (int y = 0; y < std::min(height, frame_.height); ++y)
        for (int x = 0; x < std::min(width, frame_.width); ++x)
            if (core::isOpaque(frame_.at(x, y)) && screen.contains(left + x, top + y))
                screen.at(left + x, top + y) = frame_.at(x, y);
}

void SimMascotWindow::mousePress(platform::PixelPoint local, platform::PixelPoint onScreen,
                                 platform::MouseButton b) {
    if (events.mouseDown) events.mouseDown(b, local, onScreen);
}

void SimMascotWindow::mouseRelease(platform::PixelPoint local, platform::PixelPoint onScreen,
                                   platform::MouseButton b) {
    if (events.mouseUp) events.mouseUp(b, local, onScreen);
}

void SimMascotWindow::paintRequested() {
    desktop_.record("paint");
    if (visible && events.paint) events.paint();
}

}  // namespace ruvia::sim
