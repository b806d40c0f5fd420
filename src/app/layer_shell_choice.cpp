#include "app/layer_shell_choice.h"

#include "launch/mascot_surface.h"

#if RUVIA_LAYER_SHELL
#include "platform/qt/layer_shell_mascots.h"
#include "platform/wayland/wayland_display.h"
#endif

#include <cstdio>
#include <cstdlib>

namespace ruvia::app {
namespace {

[[maybe_unused]] bool isSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

void say(const std::string& line) { std::fprintf(stderr, "ruvia-mascot: %s\n", line.c_str()); }

}  // namespace

#if RUVIA_LAYER_SHELL

void WaylandDisplayClose::operator()(platform::wayland::WaylandDisplay* display) const {
    delete display;
}

LayerShellStart startLayerShell(launch::LayerShellWish wish) {
    const launch::SurfaceSituation situation{.wish = wish,
                                             .waylandDisplay = isSet("WAYLAND_DISPLAY"),
                                             .platformChosen = isSet("QT_QPA_PLATFORM")};
    LayerShellStart out;
    std::unique_ptr<platform::wayland::WaylandDisplay> display;
    std::optional<launch::CompositorOffer> offer;
    if (launch::asksCompositor(situation)) {
        std::string problem;
        display = platform::wayland::WaylandDisplay::connect(problem);
        if (display) {
            offer = launch::offerOf(display->globalNames());
        } else if (!isSet("DISPLAY")) {
            // Qt could not reach it either.
            out.fatal = problem;
            return out;
        } else {
            say(problem + "; the mascot is an ordinary window through X");
        }
    }
    const launch::SurfaceChoice choice =
        launch::chooseMascotSurface(situation, offer ? &*offer : nullptr);
    if (*choice.note != '\0') say(choice.note);
    if (choice.surface == launch::MascotSurface::LayerSurface)
        out.connection.reset(display.release());
    return out;
}

std::unique_ptr<platform::qt::MascotWindowSource> layerShellMascots(LayerShellConnection connection) {
    if (!connection) return nullptr;
    return std::make_unique<platform::qt::LayerShellMascots>(
        std::unique_ptr<platform::wayland::WaylandDisplay>(connection.release()));
}

#else

void WaylandDisplayClose::operator()(platform::wayland::WaylandDisplay*) const {}

LayerShellStart startLayerShell(launch::LayerShellWish wish) {
    if (wish == launch::LayerShellWish::Use)
        say("--layer-shell: this build has no Wayland support (libwayland-client was not "
            "found); the mascot is an ordinary window");
    return {};
}

std::unique_ptr<platform::qt::MascotWindowSource> layerShellMascots(LayerShellConnection) {
    return nullptr;
}

#endif

}  // namespace ruvia::app
