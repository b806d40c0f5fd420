// What the mascot's window is under Wayland: the window toolkit's own window (through
// XWayland, or Qt's Wayland platform), or a layer surface of the compositor's that keeps
// her place where XWayland would lose it. Decided once at the start, from the user's wish,
// the environment and what the compositor offers. Plain C++; the notes are ASCII.
#pragma once

#include "launch/options.h"

#include <span>
#include <string>

namespace ruvia::launch {

struct SurfaceSituation {
    LayerShellWish wish = LayerShellWish::Default;
    bool waylandDisplay = false;   // WAYLAND_DISPLAY names a compositor
    bool platformChosen = false;   // the user set QT_QPA_PLATFORM
};

// Whether the compositor is worth asking what it offers.
bool asksCompositor(const SurfaceSituation& situation);

// What the compositor's globals say.
struct CompositorOffer {
    bool layerShell = false;  // zwlr_layer_shell_v1
    bool kde = false;         // KWin's own globals: there XWayland keeps her place
};

// Reads the offer from the names of the compositor's globals (KWin: core::isKwinGlobal).
CompositorOffer offerOf(std::span<const std::string> globals);

enum class MascotSurface { ToolkitWindow, LayerSurface };

struct SurfaceChoice {
    MascotSurface surface = MascotSurface::ToolkitWindow;
    const char* note = "";  // one line for the error stream, or empty
};

// `offer` is null when the compositor was not asked or could not be reached (the
// caller says why in the latter case).
SurfaceChoice chooseMascotSurface(const SurfaceSituation& situation,
                                  const CompositorOffer* offer);

}  // namespace ruvia::launch
