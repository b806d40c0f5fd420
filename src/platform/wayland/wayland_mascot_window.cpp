#include "platform/wayland/wayland_mascot_window.h"

#include "core/screen_hold.h"
#include "platform/wayland/wayland_display.h"

#include <linux/input-event-codes.h>

#include <cmath>

namespace ruvia::platform::wayland {
namespace {

std::optional<MouseButton> mouseButtonOf(uint32_t code) {
    switch (code) {
        case BTN_LEFT: return MouseButton::Left;
        case BTN_RIGHT: return MouseButton::Right;
        case BTN_MIDDLE: return MouseButton::Middle;
        default: return std::nullopt;
    }
}

core::TwipsRect asRect(PixelRect r) {
    return {static_cast<float>(r.x), static_cast<float>(r.y), static_cast<float>(r.width),
            static_cast<float>(r.height)};
}

}  // namespace

WaylandMascotWindow::WaylandMascotWindow(WaylandDisplay& display, std::function<void()> pressed)
    : display_(display),
      motionReference_(core::motionReferenceOf(display.globalNames())),
      pressed_(std::move(pressed)),
      frames_(display.shm()) {
    frames_.released = [this] {
        if (frameWaiting_) putFrame();
    };
    display_.outputs().changed = [this] { outputsChanged(); };
    PointerEvents& pointer = display_.pointer().events;
    pointer.enter = [this](wl_surface* s, double x, double y) {
        if (surface_ && s == surface_->surface()) pointerMoved(x, y);
    };
    pointer.leave = [this](wl_surface* s) {
        if (move_ != nullptr && surface_ && s == surface_->surface()) leftWhileMoving();
    };
    pointer.motion = [this](double x, double y) { pointerMoved(x, y); };
    pointer.button = [this](uint32_t code, bool down) { buttonChanged(code, down); };
}

WaylandMascotWindow::~WaylandMascotWindow() {
    display_.outputs().changed = nullptr;
    display_.pointer().events = {};
    surface_.reset();
    display_.flush();
}

// The rule of every backend: the output with the largest part of her, else the nearest.
const Output* WaylandMascotWindow::outputHolding(PixelRect place, const wl_output* except) const {
    std::vector<const Output*> outputs = display_.outputs().known();
    std::erase_if(outputs, [&](const Output* o) { return o->output == except; });
    if (outputs.empty()) return nullptr;
    std::vector<core::TwipsRect> rects;
    for (const Output* o : outputs) rects.push_back(asRect(o->logical));
    return outputs[core::screenHolding(asRect(place), rects)];
}

void WaylandMascotWindow::settleOnOutput(const wl_output* except) {
    if (!visible_) return;
    const Output* want = outputHolding(place_, except);
    if (want == nullptr) {
        surface_.reset();
        return;
    }
    const PixelPoint origin{want->logical.x, want->logical.y};
    if (surface_ && surface_->output() == want->output && surface_->outputOrigin() == origin) {
        surface_->place(place_);
        surface_->commit();
        display_.flush();
        return;
    }
    makeSurface(*want);
}

void WaylandMascotWindow::makeSurface(const Output& output) {
    surface_.reset();
    surface_ = std::make_unique<LayerSurface>(display_, output, layer_, place_);
    surface_->configuredNow = [this] { putFrame(); };
    surface_->closedNow = [this] { surfaceClosed(); };
}

void WaylandMascotWindow::surfaceClosed() {
    // Its output is going away, most likely: she goes on another.
    const wl_output* gone = surface_->output();
    surface_.reset();
    settleOnOutput(gone);
}

void WaylandMascotWindow::outputsChanged() {
    if (move_ != nullptr) return;
    settleOnOutput();
    // Her output's scale changed, or she went on one of another: a frame drawn for the
    // old one would be the wrong size.
    if (visible_ && frame_.width > 0 && frameFactor_ != pixelFactor() && events.paint)
        events.paint();
}

void WaylandMascotWindow::move(int x, int y) {
    if (x == place_.x && y == place_.y) return;
    place_.x = x;
    place_.y = y;
    settleOnOutput();
}

void WaylandMascotWindow::resize(int width, int height) {
    if (width == place_.width && height == place_.height) return;
    place_.width = width;
    place_.height = height;
    // The new size goes out with the next frame, which is drawn at it.
    if (surface_) surface_->place(place_);
    if (events.resize) events.resize();
}

void WaylandMascotWindow::show() {
    if (visible_) return;
    visible_ = true;
    settleOnOutput();
}

void WaylandMascotWindow::hide() {
    if (!visible_) return;
    visible_ = false;
    press_.reset();
    surface_.reset();
    display_.flush();
}

int WaylandMascotWindow::pixelFactor() const {
    const Output* on = surface_ ? display_.outputs().find(surface_->output()) : nullptr;
    if (on == nullptr) on = outputHolding(place_);
    const int scale = on != nullptr ? on->scale : 1;
    return scale >= 2 ? scale : 1;
}

void WaylandMascotWindow::present(const core::Image& deviceFrame) {
    frame_ = deviceFrame;
    frameFactor_ = pixelFactor();
    putFrame();
}

void WaylandMascotWindow::putFrame() {
    frameWaiting_ = false;
    if (!surface_ || !surface_->configured() || frame_.width <= 0) return;
    wl_buffer* buffer = frames_.bufferFor(frame_);
    if (buffer == nullptr) {
        frameWaiting_ = true;
        return;
    }
    // A frame of another factor than the output's (drawn before a change of output)
    // goes out at its own, so that it fills her size all the same.
    const int factor = place_.width > 0 ? frame_.width / place_.width : 1;
    const bool whole = factor >= 1 && frame_.width == place_.width * factor &&
                       frame_.height == place_.height * factor;
    surface_->place(place_);
    surface_->attach(buffer, whole ? factor : 1);
    surface_->commit();
    display_.flush();
}

bool WaylandMascotWindow::setStayOnTop(bool on) {
    layer_ = on ? Layer::Top : Layer::Bottom;
    if (!surface_) return true;
    if (surface_->setLayer(layer_)) {
        surface_->commit();
        display_.flush();
        return true;
    }
    // A compositor of the layer shell's first version moves no surface between layers.
    if (const Output* on = display_.outputs().find(surface_->output())) makeSurface(*on);
    return true;
}

PixelPoint WaylandMascotWindow::screenPoint(double x, double y) const {
    return {place_.x + static_cast<int>(std::floor(x)), place_.y + static_cast<int>(std::floor(y))};
}

void WaylandMascotWindow::pointerMoved(double x, double y) {
    if (move_ != nullptr) {
        followedTo(x, y);
        return;
    }
    pointerX_ = x;
    pointerY_ = y;
}

void WaylandMascotWindow::buttonChanged(uint32_t code, bool down) {
    if (move_ != nullptr) {
        buttonWhileMoving(code, down);
        return;
    }
    const auto button = mouseButtonOf(code);
    if (!button || !surface_) return;
    if (display_.pointer().over() != surface_->surface() && !press_) return;
    const PixelPoint scene{static_cast<int>(std::floor(pointerX_)),
                           static_cast<int>(std::floor(pointerY_))};
    if (down) {
        press_ = Press{*button, code, pointerX_, pointerY_};
        if (pressed_) pressed_();
        if (events.mouseDown) events.mouseDown(*button, scene, screenPoint(pointerX_, pointerY_));
        return;
    }
    if (!press_ || press_->code != code) return;
    press_.reset();
    if (events.mouseUp) events.mouseUp(*button, scene, screenPoint(pointerX_, pointerY_));
}

}  // namespace ruvia::platform::wayland
