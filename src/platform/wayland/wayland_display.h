// Wayland backend: our own connection to the compositor, its globals (compositor, shm,
// seat, outputs, xdg-output, the layer shell) and the pumping of its events. The owner
// reads the connection when its fd is readable (readAvailable), or waits on it itself
// (waitAndDispatch); requests are flushed by whoever makes them. Internal to the backend
// and to the toolkit glue that pumps it; no toolkit types here.
#pragma once

#include "platform/wayland/wayland_outputs.h"
#include "platform/wayland/wayland_pointer.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct wl_compositor;
struct wl_display;
struct wl_registry;
struct wl_shm;
struct zwlr_layer_shell_v1;

namespace ruvia::platform::wayland {

class WaylandDisplay {
public:
    // Connects to the compositor WAYLAND_DISPLAY names and learns its globals and its
    // outputs' places. Null, with the reason in `problem` (one line), when it cannot.
    static std::unique_ptr<WaylandDisplay> connect(std::string& problem);
    ~WaylandDisplay();
    WaylandDisplay(const WaylandDisplay&) = delete;
    WaylandDisplay& operator=(const WaylandDisplay&) = delete;

    // The interfaces of every global the compositor announced.
    const std::vector<std::string>& globalNames() const { return globalNames_; }

    int fd() const;
    // Reads whatever has arrived, without blocking, and dispatches it; then flushes.
    // False once the connection is gone.
    bool readAvailable();
    // Dispatches what earlier reads queued, and flushes.
    bool dispatchQueued();
    // Waits up to `timeoutMs` (-1: without end) for events, reads and dispatches them.
    bool waitAndDispatch(int timeoutMs);
    bool flush();
    // Why the connection is gone (one line); empty while it works.
    std::string problem() const;

    wl_display* display() const { return display_.get(); }
    wl_compositor* compositor() const { return compositor_; }
    uint32_t compositorVersion() const { return compositorVersion_; }
    wl_shm* shm() const { return shm_; }
    zwlr_layer_shell_v1* layerShell() const { return layerShell_; }
    uint32_t layerShellVersion() const { return layerShellVersion_; }
    WaylandOutputs& outputs() { return outputs_; }
    WaylandPointer& pointer() { return pointer_; }

    // Registry listener entry points.
    void globalAdded(uint32_t name, const char* interface, uint32_t version);
    void globalRemoved(uint32_t name);

private:
    explicit WaylandDisplay(wl_display* display);
    bool fail(const char* doing);

    struct Disconnect {
        void operator()(wl_display* display) const;
    };
    // First, so that it is the last to go: every proxy goes before the connection.
    std::unique_ptr<wl_display, Disconnect> display_;
    wl_registry* registry_ = nullptr;
    wl_compositor* compositor_ = nullptr;
    uint32_t compositorVersion_ = 0;
    wl_shm* shm_ = nullptr;
    zwlr_layer_shell_v1* layerShell_ = nullptr;
    uint32_t layerShellVersion_ = 0;
    std::vector<std::string> globalNames_;
    WaylandOutputs outputs_;
    WaylandPointer pointer_;
    std::string problem_;
};

}  // namespace ruvia::platform::wayland
