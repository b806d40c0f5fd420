#include "platform/wayland/wayland_pointer.h"

#include <wayland-client.h>

#include <algorithm>

namespace ruvia::platform::wayland {
namespace {

WaylandPointer& of(void* data) { return *static_cast<WaylandPointer*>(data); }

void onEnter(void* data, wl_pointer*, uint32_t, wl_surface* surface, wl_fixed_t x, wl_fixed_t y) {
    of(data).entered(surface, wl_fixed_to_double(x), wl_fixed_to_double(y));
}

void onLeave(void* data, wl_pointer*, uint32_t, wl_surface* surface) { of(data).left(surface); }

void onMotion(void* data, wl_pointer*, uint32_t, wl_fixed_t x, wl_fixed_t y) {
    auto& p = of(data);
    if (p.events.motion) p.events.motion(wl_fixed_to_double(x), wl_fixed_to_double(y));
}

void onButton(void* data, wl_pointer*, uint32_t, uint32_t, uint32_t button, uint32_t state) {
    auto& p = of(data);
    if (p.events.button) p.events.button(button, state == WL_POINTER_BUTTON_STATE_PRESSED);
}

void onAxis(void*, wl_pointer*, uint32_t, uint32_t, wl_fixed_t) {}
void onFrame(void*, wl_pointer*) {}
void onAxisSource(void*, wl_pointer*, uint32_t) {}
void onAxisStop(void*, wl_pointer*, uint32_t, uint32_t) {}
void onAxisDiscrete(void*, wl_pointer*, uint32_t, int32_t) {}

const wl_pointer_listener kPointerListener{.enter = onEnter,
                                           .leave = onLeave,
                                           .motion = onMotion,
                                           .button = onButton,
                                           .axis = onAxis,
                                           .frame = onFrame,
                                           .axis_source = onAxisSource,
                                           .axis_stop = onAxisStop,
                                           .axis_discrete = onAxisDiscrete,
                                           .axis_value120 = nullptr};

// The server's object goes too where the seat is new enough to say so.
void releasePointer(wl_pointer* pointer) {
    if (wl_pointer_get_version(pointer) >= WL_POINTER_RELEASE_SINCE_VERSION)
        wl_pointer_release(pointer);
    else
        wl_pointer_destroy(pointer);
}

void onCapabilities(void* data, wl_seat*, uint32_t caps) { of(data).capabilities(caps); }
void onSeatName(void*, wl_seat*, const char*) {}

const wl_seat_listener kSeatListener{.capabilities = onCapabilities, .name = onSeatName};

}  // namespace

WaylandPointer::~WaylandPointer() {
    if (pointer_ != nullptr) releasePointer(pointer_);
    if (seat_ != nullptr) wl_seat_destroy(seat_);
}

void WaylandPointer::bindSeat(wl_registry* registry, uint32_t name, uint32_t version) {
    if (seat_ != nullptr) return;
    // Version 5 is the last whose pointer events all have listeners here.
    seat_ = static_cast<wl_seat*>(
        wl_registry_bind(registry, name, &wl_seat_interface, std::min(version, 5u)));
    seatName_ = name;
    wl_seat_add_listener(seat_, &kSeatListener, this);
}

void WaylandPointer::seatRemoved(uint32_t name) {
    if (seat_ == nullptr || name != seatName_) return;
    capabilities(0);
    wl_seat_destroy(seat_);
    seat_ = nullptr;
}

void WaylandPointer::capabilities(uint32_t caps) {
    const bool has = (caps & WL_SEAT_CAPABILITY_POINTER) != 0;
    if (has && pointer_ == nullptr) {
        pointer_ = wl_seat_get_pointer(seat_);
        wl_pointer_add_listener(pointer_, &kPointerListener, this);
    } else if (!has && pointer_ != nullptr) {
        if (over_ != nullptr) left(over_);
        releasePointer(pointer_);
        pointer_ = nullptr;
    }
}

void WaylandPointer::entered(wl_surface* surface, double x, double y) {
    over_ = surface;
    if (events.enter) events.enter(surface, x, y);
}

void WaylandPointer::left(wl_surface* surface) {
    if (over_ == surface) over_ = nullptr;
    if (events.leave) events.leave(surface);
}

}  // namespace ruvia::platform::wayland
