#include "platform/wayland/layer_surface.h"

#include "platform/wayland/wayland_display.h"
#include "platform/wayland/layer_shell_protocol.h"

#include <wayland-client.h>

namespace ruvia::platform::wayland {
namespace {

constexpr const char* kNamespace = "ruvia-mascot";

uint32_t layerValue(Layer layer) {
    return layer == Layer::Top ? ZWLR_LAYER_SHELL_V1_LAYER_TOP : ZWLR_LAYER_SHELL_V1_LAYER_BOTTOM;
}

void onConfigure(void* data, zwlr_layer_surface_v1*, uint32_t serial, uint32_t, uint32_t) {
    // The size she asked for is her only one; a suggestion is not taken.
    static_cast<LayerSurface*>(data)->configure(serial);
}

void onClosed(void* data, zwlr_layer_surface_v1*) { static_cast<LayerSurface*>(data)->close(); }

const zwlr_layer_surface_v1_listener kListener{.configure = onConfigure, .closed = onClosed};

}  // namespace

LayerSurface::LayerSurface(WaylandDisplay& display, const Output& output, Layer layer,
                           PixelRect place)
    : display_(display),
      output_(output.output),
      origin_{output.logical.x, output.logical.y},
      layerSent_(layer) {
    surface_ = wl_compositor_create_surface(display.compositor());
    layer_ = zwlr_layer_shell_v1_get_layer_surface(display.layerShell(), surface_, output_,
                                                   layerValue(layer), kNamespace);
    zwlr_layer_surface_v1_add_listener(layer_, &kListener, this);
    zwlr_layer_surface_v1_set_anchor(layer_, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP |
                                                 ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT);
    // Not moved aside for panels: the margins are her place in the layout exactly, where
    // the pointer's and the other windows' places are measured too. She takes no room.
    zwlr_layer_surface_v1_set_exclusive_zone(layer_, -1);
    zwlr_layer_surface_v1_set_keyboard_interactivity(
        layer_, ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE);
    // The input region stays the surface's default, all of it: the whole rectangle
    // takes clicks, see-through pixels too.
    this->place(place);
    commit();
    display.flush();
}

LayerSurface::~LayerSurface() {
    zwlr_layer_surface_v1_destroy(layer_);
    wl_surface_destroy(surface_);
    display_.flush();
}

void LayerSurface::place(PixelRect place) {
    if (place.width != sent_.width || place.height != sent_.height)
        zwlr_layer_surface_v1_set_size(layer_, static_cast<uint32_t>(place.width),
                                       static_cast<uint32_t>(place.height));
    if (place.x != sent_.x || place.y != sent_.y || sent_ == PixelRect{})
        zwlr_layer_surface_v1_set_margin(layer_, place.y - origin_.y, 0, 0, place.x - origin_.x);
    sent_ = place;
}

bool LayerSurface::setLayer(Layer layer) {
    if (layer == layerSent_) return true;
    if (zwlr_layer_surface_v1_get_version(layer_) < ZWLR_LAYER_SURFACE_V1_SET_LAYER_SINCE_VERSION)
        return false;
    zwlr_layer_surface_v1_set_layer(layer_, layerValue(layer));
    layerSent_ = layer;
    return true;
}

void LayerSurface::attach(wl_buffer* buffer, int scale) {
    if (!configured_) return;
    if (scale != scaleSent_) {
        wl_surface_set_buffer_scale(surface_, scale);
        scaleSent_ = scale;
    }
    wl_surface_attach(surface_, buffer, 0, 0);
    if (display_.compositorVersion() >= WL_SURFACE_DAMAGE_BUFFER_SINCE_VERSION)
        wl_surface_damage_buffer(surface_, 0, 0, INT32_MAX, INT32_MAX);
    else
        wl_surface_damage(surface_, 0, 0, INT32_MAX, INT32_MAX);
}

void LayerSurface::commit() { wl_surface_commit(surface_); }

void LayerSurface::configure(uint32_t serial) {
    zwlr_layer_surface_v1_ack_configure(layer_, serial);
    configured_ = true;
    if (configuredNow) configuredNow();
}

void LayerSurface::close() {
    closed_ = true;
    if (closedNow) closedNow();
}

}  // namespace ruvia::platform::wayland
