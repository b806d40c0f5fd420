#include "launch/mascot_surface.h"

#include "core/compositor_globals.h"

namespace ruvia::launch {

CompositorOffer offerOf(std::span<const std::string> globals) {
    CompositorOffer out;
    for (const std::string& name : globals) {
        out.layerShell = out.layerShell || name == "zwlr_layer_shell_v1";
        out.kde = out.kde || core::isKwinGlobal(name);
    }
    return out;
}

bool asksCompositor(const SurfaceSituation& s) {
    if (!s.waylandDisplay) return false;
    switch (s.wish) {
        case LayerShellWish::Avoid: return false;
        case LayerShellWish::Use: return true;
        // A platform the user chose is the user's way to run it, as before.
        case LayerShellWish::Default: return !s.platformChosen;
    }
    return false;
}

SurfaceChoice chooseMascotSurface(const SurfaceSituation& s, const CompositorOffer* offer) {
    const bool insisted = s.wish == LayerShellWish::Use;
    if (insisted && !s.waylandDisplay)
        return {.note = "--layer-shell: WAYLAND_DISPLAY is not set, so there is no Wayland "
                        "compositor to ask; the mascot is an ordinary window"};
    if (!asksCompositor(s) || offer == nullptr) return {};
    if (!offer->layerShell) {
        if (!insisted) return {};
        return {.note = "--layer-shell: the compositor offers no layer shell "
                        "(zwlr_layer_shell_v1); the mascot is an ordinary window"};
    }
    // Under KWin XWayland keeps her place already; elsewhere (sway and the other wlroots
    // compositors) it loses it.
    if (offer->kde && !insisted) return {};
    return {.surface = MascotSurface::LayerSurface};
}

}  // namespace ruvia::launch
