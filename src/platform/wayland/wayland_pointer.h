// Wayland backend: the seat's pointer, its events told on as plain callbacks, in
// surface-local logical pixels. Internal to the backend.
#pragma once

#include <cstdint>
#include <functional>

struct wl_pointer;
struct wl_registry;
struct wl_seat;
struct wl_surface;

namespace ruvia::platform::wayland {

struct PointerEvents {
    std::function<void(wl_surface*, double x, double y)> enter;
    std::function<void(wl_surface*)> leave;
    std::function<void(double x, double y)> motion;
    // `button` is the kernel's code (BTN_LEFT ...).
    std::function<void(uint32_t button, bool pressed)> button;
};

class WaylandPointer {
public:
    WaylandPointer() = default;
    ~WaylandPointer();
    WaylandPointer(const WaylandPointer&) = delete;
    WaylandPointer& operator=(const WaylandPointer&) = delete;

    // The first seat the registry names; later ones are not hers.
    void bindSeat(wl_registry* registry, uint32_t name, uint32_t version);
    void seatRemoved(uint32_t name);

    // Whether a pointer is there now, and the surface it is over (null when none of ours).
    bool present() const { return pointer_ != nullptr; }
    wl_surface* over() const { return over_; }

    PointerEvents events;

    // Listener entry points (from the seat's and the pointer's listeners).
    void capabilities(uint32_t caps);
    void entered(wl_surface* surface, double x, double y);
    void left(wl_surface* surface);

private:
    wl_seat* seat_ = nullptr;
    uint32_t seatName_ = 0;
    wl_pointer* pointer_ = nullptr;
    wl_surface* over_ = nullptr;
};

}  // namespace ruvia::platform::wayland
