// The Linux program's choice of the mascot's window under Wayland (launch/mascot_surface):
// asked of the compositor before Qt starts, made into the toolkit's source of mascot
// windows once the application exists.
#pragma once

#include "launch/options.h"
#include "platform/qt/qt_toolkit.h"

#include <memory>
#include <optional>
#include <string>

namespace ruvia::platform::wayland {
class WaylandDisplay;
}

namespace ruvia::app {

struct WaylandDisplayClose {
    void operator()(platform::wayland::WaylandDisplay* display) const;
};
using LayerShellConnection = std::unique_ptr<platform::wayland::WaylandDisplay, WaylandDisplayClose>;

struct LayerShellStart {
    LayerShellConnection connection;  // null: the mascot is the window toolkit's window
    std::optional<std::string> fatal;  // the line to end the program with
};

// Says on the error stream whatever the user should know of the choice (an option that
// cannot be followed, a compositor that cannot be reached).
LayerShellStart startLayerShell(launch::LayerShellWish wish);

// After the QApplication exists; null for a null connection.
std::unique_ptr<platform::qt::MascotWindowSource> layerShellMascots(LayerShellConnection connection);

}  // namespace ruvia::app
