#include "platform/wayland/wayland_outputs.h"

#include "xdg-output-unstable-v1-client-protocol.h"

#include <wayland-client.h>

#include <algorithm>

namespace ruvia::platform::wayland {

struct WaylandOutputs::Entry {
    WaylandOutputs* owner = nullptr;
    Output out;
    zxdg_output_v1* xdg = nullptr;
    // What wl_output says, for compositors without xdg-output.
    int geometryX = 0, geometryY = 0, modeWidth = 0, modeHeight = 0;
    bool geometryKnown = false, modeKnown = false, logicalPlaceKnown = false,
         logicalSizeKnown = false;

    bool known() const { return (logicalPlaceKnown && logicalSizeKnown) || (geometryKnown && modeKnown); }

    void settle() {
        if (!logicalPlaceKnown) out.logical.x = geometryX, out.logical.y = geometryY;
        if (!logicalSizeKnown && out.scale > 0)
            out.logical.width = modeWidth / out.scale, out.logical.height = modeHeight / out.scale;
        if (owner->changed) owner->changed();
    }
};

namespace {

using Entry = WaylandOutputs::Entry;

void onGeometry(void* data, wl_output*, int32_t x, int32_t y, int32_t, int32_t, int32_t,
                const char*, const char*, int32_t) {
    auto* e = static_cast<Entry*>(data);
    e->geometryX = x;
    e->geometryY = y;
    e->geometryKnown = true;
}

void onMode(void* data, wl_output*, uint32_t flags, int32_t width, int32_t height, int32_t) {
    if ((flags & WL_OUTPUT_MODE_CURRENT) == 0) return;
    auto* e = static_cast<Entry*>(data);
    e->modeWidth = width;
    e->modeHeight = height;
    e->modeKnown = true;
}

void onDone(void* data, wl_output*) { static_cast<Entry*>(data)->settle(); }

void onScale(void* data, wl_output*, int32_t factor) {
    static_cast<Entry*>(data)->out.scale = std::max(1, factor);
}

const wl_output_listener kOutputListener{
    .geometry = onGeometry, .mode = onMode, .done = onDone, .scale = onScale,
    // Version 4's events; version 2 is bound.
    .name = nullptr, .description = nullptr};

void onLogicalPosition(void* data, zxdg_output_v1*, int32_t x, int32_t y) {
    auto* e = static_cast<Entry*>(data);
    e->out.logical.x = x;
    e->out.logical.y = y;
    e->logicalPlaceKnown = true;
}

void onLogicalSize(void* data, zxdg_output_v1*, int32_t width, int32_t height) {
    auto* e = static_cast<Entry*>(data);
    e->out.logical.width = width;
    e->out.logical.height = height;
    e->logicalSizeKnown = true;
}

// Since version 3 the output's own done closes a change; before, this one does.
void onXdgDone(void* data, zxdg_output_v1*) { static_cast<Entry*>(data)->settle(); }
void onXdgName(void*, zxdg_output_v1*, const char*) {}
void onXdgDescription(void*, zxdg_output_v1*, const char*) {}

const zxdg_output_v1_listener kXdgListener{.logical_position = onLogicalPosition,
                                           .logical_size = onLogicalSize,
                                           .done = onXdgDone,
                                           .name = onXdgName,
                                           .description = onXdgDescription};

}  // namespace

WaylandOutputs::WaylandOutputs() = default;

WaylandOutputs::~WaylandOutputs() {
    for (auto& e : entries_) {
        if (e->xdg != nullptr) zxdg_output_v1_destroy(e->xdg);
        wl_output_destroy(e->out.output);
    }
    if (manager_ != nullptr) zxdg_output_manager_v1_destroy(manager_);
}

void WaylandOutputs::add(wl_registry* registry, uint32_t name, uint32_t version) {
    auto entry = std::make_unique<Entry>();
    entry->owner = this;
    entry->out.name = name;
    // Version 2 brings the scale and done; nothing later is needed.
    entry->out.output = static_cast<wl_output*>(
        wl_registry_bind(registry, name, &wl_output_interface, std::min(version, 2u)));
    wl_output_add_listener(entry->out.output, &kOutputListener, entry.get());
    if (manager_ != nullptr) watchLogicalPlace(*entry);
    entries_.push_back(std::move(entry));
}

void WaylandOutputs::remove(uint32_t name) {
    const auto it = std::find_if(entries_.begin(), entries_.end(),
                                 [&](const auto& e) { return e->out.name == name; });
    if (it == entries_.end()) return;
    if ((*it)->xdg != nullptr) zxdg_output_v1_destroy((*it)->xdg);
    wl_output_destroy((*it)->out.output);
    entries_.erase(it);
    if (changed) changed();
}

void WaylandOutputs::useManager(wl_registry* registry, uint32_t name, uint32_t version) {
    if (manager_ != nullptr) return;
    manager_ = static_cast<zxdg_output_manager_v1*>(wl_registry_bind(
        registry, name, &zxdg_output_manager_v1_interface, std::min(version, 3u)));
    for (auto& e : entries_) watchLogicalPlace(*e);
}

void WaylandOutputs::watchLogicalPlace(Entry& entry) {
    if (entry.xdg != nullptr) return;
    entry.xdg = zxdg_output_manager_v1_get_xdg_output(manager_, entry.out.output);
    zxdg_output_v1_add_listener(entry.xdg, &kXdgListener, &entry);
}

std::vector<const Output*> WaylandOutputs::known() const {
    std::vector<const Output*> out;
    for (const auto& e : entries_)
        if (e->known() && e->out.logical.width > 0 && e->out.logical.height > 0)
            out.push_back(&e->out);
    return out;
}

const Output* WaylandOutputs::find(const wl_output* output) const {
    for (const auto& e : entries_)
        if (e->out.output == output) return &e->out;
    return nullptr;
}

}  // namespace ruvia::platform::wayland
