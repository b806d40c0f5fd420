#include "platform/wayland/wayland_display.h"

#include "platform/wayland/layer_shell_protocol.h"
#include "xdg-output-unstable-v1-client-protocol.h"

#include <wayland-client.h>

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace ruvia::platform::wayland {
namespace {

void onGlobal(void* data, wl_registry*, uint32_t name, const char* interface, uint32_t version) {
    static_cast<WaylandDisplay*>(data)->globalAdded(name, interface, version);
}

void onGlobalRemove(void* data, wl_registry*, uint32_t name) {
    static_cast<WaylandDisplay*>(data)->globalRemoved(name);
}

const wl_registry_listener kRegistryListener{.global = onGlobal, .global_remove = onGlobalRemove};

std::string socketName() {
    const char* name = std::getenv("WAYLAND_DISPLAY");
    return name != nullptr && *name != '\0' ? name : "wayland-0";
}

}  // namespace

void WaylandDisplay::Disconnect::operator()(wl_display* display) const {
    wl_display_disconnect(display);
}

std::unique_ptr<WaylandDisplay> WaylandDisplay::connect(std::string& problem) {
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) {
        problem = "cannot connect to the Wayland compositor at WAYLAND_DISPLAY=" + socketName() +
                  ": " + std::strerror(errno);
        return nullptr;
    }
    std::unique_ptr<WaylandDisplay> out(new WaylandDisplay(display));
    // The first round trip names the globals, the second brings what the outputs and
    // the seat say of themselves.
    for (int i = 0; i < 2; ++i) {
        if (wl_display_roundtrip(display) < 0) {
            out->fail("asking the compositor for its globals");
            problem = out->problem();
            return nullptr;
        }
    }
    return out;
}

WaylandDisplay::WaylandDisplay(wl_display* display) : display_(display) {
    registry_ = wl_display_get_registry(display);
    wl_registry_add_listener(registry_, &kRegistryListener, this);
}

WaylandDisplay::~WaylandDisplay() {
    if (layerShell_ != nullptr) {
        if (layerShellVersion_ >= ZWLR_LAYER_SHELL_V1_DESTROY_SINCE_VERSION)
            zwlr_layer_shell_v1_destroy(layerShell_);
        else
            wl_proxy_destroy(reinterpret_cast<wl_proxy*>(layerShell_));
    }
    if (shm_ != nullptr) wl_shm_destroy(shm_);
    if (compositor_ != nullptr) wl_compositor_destroy(compositor_);
    wl_registry_destroy(registry_);
}

void WaylandDisplay::globalAdded(uint32_t name, const char* interface, uint32_t version) {
    const std::string_view is(interface);
    auto bind = [&](const wl_interface* which, uint32_t upTo) {
        return wl_registry_bind(registry_, name, which, std::min(version, upTo));
    };
    if (is == wl_compositor_interface.name && compositor_ == nullptr) {
        compositorVersion_ = std::min(version, 4u);  // 4: damage in buffer pixels
        compositor_ = static_cast<wl_compositor*>(bind(&wl_compositor_interface, 4));
    } else if (is == wl_shm_interface.name && shm_ == nullptr) {
        shm_ = static_cast<wl_shm*>(bind(&wl_shm_interface, 1));
    } else if (is == wl_seat_interface.name) {
        pointer_.bindSeat(registry_, name, version);
    } else if (is == wl_output_interface.name) {
        outputs_.add(registry_, name, version);
    } else if (is == zxdg_output_manager_v1_interface.name) {
        outputs_.useManager(registry_, name, version);
    } else if (is == zwlr_layer_shell_v1_interface.name && layerShell_ == nullptr) {
        // Version 2 can move a surface between layers; 3 adds nothing needed here.
        layerShellVersion_ = std::min(version, 3u);
        layerShell_ = static_cast<zwlr_layer_shell_v1*>(bind(&zwlr_layer_shell_v1_interface, 3));
    }
    globalNames_.emplace_back(is);
}

void WaylandDisplay::globalRemoved(uint32_t name) {
    outputs_.remove(name);
    pointer_.seatRemoved(name);
}

int WaylandDisplay::fd() const { return wl_display_get_fd(display_.get()); }

bool WaylandDisplay::readAvailable() {
    wl_display* d = display_.get();
    while (wl_display_prepare_read(d) != 0)
        if (wl_display_dispatch_pending(d) < 0) return fail("reading from the compositor");
    // The fd said it is readable; the read itself never blocks.
    if (wl_display_read_events(d) < 0) return fail("reading from the compositor");
    return dispatchQueued();
}

bool WaylandDisplay::dispatchQueued() {
    if (wl_display_dispatch_pending(display_.get()) < 0) return fail("reading from the compositor");
    return flush();
}

bool WaylandDisplay::waitAndDispatch(int timeoutMs) {
    wl_display* d = display_.get();
    while (wl_display_prepare_read(d) != 0)
        if (wl_display_dispatch_pending(d) < 0) return fail("reading from the compositor");
    if (!flush()) {
        wl_display_cancel_read(d);
        return false;
    }
    pollfd p{.fd = fd(), .events = POLLIN, .revents = 0};
    const int ready = ::poll(&p, 1, timeoutMs);
    if (ready <= 0) {
        wl_display_cancel_read(d);
        return ready == 0 || errno == EINTR || fail("waiting for the compositor");
    }
    if (wl_display_read_events(d) < 0) return fail("reading from the compositor");
    return dispatchQueued();
}

bool WaylandDisplay::flush() {
    // A full socket takes the rest at the next flush.
    if (wl_display_flush(display_.get()) < 0 && errno != EAGAIN)
        return fail("writing to the compositor");
    return true;
}

bool WaylandDisplay::fail(const char* doing) {
    if (!problem_.empty()) return false;
    const int error = wl_display_get_error(display_.get());
    problem_ = std::string("the Wayland connection broke while ") + doing + ": " +
               std::strerror(error != 0 ? error : errno);
    if (error == EPROTO) {
        const wl_interface* which = nullptr;
        uint32_t id = 0;
        const uint32_t code = wl_display_get_protocol_error(display_.get(), &which, &id);
        problem_ += std::string(" (") + (which != nullptr ? which->name : "?") + " error " +
                    std::to_string(code) + ")";
    }
    return false;
}

std::string WaylandDisplay::problem() const { return problem_; }

}  // namespace ruvia::platform::wayland
