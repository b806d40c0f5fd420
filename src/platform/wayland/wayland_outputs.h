// Wayland backend: the compositor's outputs, each with its place in the compositor's
// layout (logical pixels, from xdg-output where offered) and its whole-number scale.
// Internal to the backend.
#pragma once

#include "platform/types.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

struct wl_output;
struct zxdg_output_manager_v1;
struct wl_registry;

namespace ruvia::platform::wayland {

struct Output {
    uint32_t name = 0;  // the global's
    wl_output* output = nullptr;
    PixelRect logical;  // in the layout
    int scale = 1;      // wl_output.scale
};

class WaylandOutputs {
public:
    WaylandOutputs();
    ~WaylandOutputs();
    WaylandOutputs(const WaylandOutputs&) = delete;
    WaylandOutputs& operator=(const WaylandOutputs&) = delete;

    // From the registry.
    void add(wl_registry* registry, uint32_t name, uint32_t version);
    void remove(uint32_t name);
    void useManager(wl_registry* registry, uint32_t name, uint32_t version);

    // Outputs in the order the compositor announced them; only those whose place is known.
    std::vector<const Output*> known() const;
    const Output* find(const wl_output* output) const;

    // An output was added, changed or went away (from inside the dispatch).
    std::function<void()> changed;

    struct Entry;  // one output with its listeners' state

private:
    void watchLogicalPlace(Entry& entry);

    std::vector<std::unique_ptr<Entry>> entries_;
    zxdg_output_manager_v1* manager_ = nullptr;
};

}  // namespace ruvia::platform::wayland
