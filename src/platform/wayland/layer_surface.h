// Wayland backend: one layer surface of the mascot on one output, anchored to its
// top-left corner, her place as the margins. Sends only what changed; every change
// takes effect at the next commit. No buffer goes out before the first configure.
// Internal to the backend.
#pragma once

#include "platform/types.h"

#include <cstdint>
#include <functional>

struct wl_buffer;
struct wl_output;
struct wl_surface;
struct zwlr_layer_surface_v1;

namespace ruvia::platform::wayland {

class WaylandDisplay;
struct Output;

enum class Layer { Bottom, Top };

class LayerSurface {
public:
    // Made on `output`, at `place` (layout pixels) in `layer`, and committed bare for the
    // compositor's first configure.
    LayerSurface(WaylandDisplay& display, const Output& output, Layer layer, PixelRect place);
    ~LayerSurface();
    LayerSurface(const LayerSurface&) = delete;
    LayerSurface& operator=(const LayerSurface&) = delete;

    wl_surface* surface() const { return surface_; }
    wl_output* output() const { return output_; }
    PixelPoint outputOrigin() const { return origin_; }
    bool configured() const { return configured_; }
    bool closed() const { return closed_; }

    // Her place in the layout and her size in logical pixels.
    void place(PixelRect place);
    // False when the compositor cannot move a surface between layers (make a new one).
    bool setLayer(Layer layer);
    // `scale` device pixels of the buffer to a logical pixel each way.
    void attach(wl_buffer* buffer, int scale);
    // Not flushed: the caller sends its batch of requests at once.
    void commit();

    // From inside the dispatch: a configure was acknowledged (buffers may go out now),
    // or the compositor will show the surface no more.
    std::function<void()> configuredNow;
    std::function<void()> closedNow;

    void configure(uint32_t serial);
    void close();

private:
    WaylandDisplay& display_;
    wl_output* output_;
    PixelPoint origin_;
    wl_surface* surface_ = nullptr;
    zwlr_layer_surface_v1* layer_ = nullptr;
    PixelRect sent_{};
    Layer layerSent_;
    int scaleSent_ = 1;
    bool configured_ = false;
    bool closed_ = false;
};

}  // namespace ruvia::platform::wayland
