#include "platform/sim/sim_toolkit.h"

#include "platform/sim/sim_mascot_window.h"
#include "platform/sim/sim_menu_window.h"
#include "platform/sim/sim_timer.h"

namespace ruvia::sim {

SimToolkit::SimToolkit(SimDesktop& desktop) : desktop_(desktop) {
    desktop_.listenToScreens(this, [this] {
        if (events.screensChanged) events.screensChanged();
    });
}

SimToolkit::~SimToolkit() {
    if (holdsInstance_) desktop_.instanceHeld = false;
    desktop_.stopListening(this);
}

std::unique_ptr<platform::MascotWindow> SimToolkit::createMascotWindow() {
    auto w = std::make_unique<SimMascotWindow>(desktop_);
    mascot_ = w.get();
    return w;
}

std::unique_ptr<platform::MenuWindow> SimToolkit::createMenuWindow() {
    auto w = std::make_unique<SimMenuWindow>(desktop_, *this);
    menu_ = w.get();
    return w;
}

std::unique_ptr<platform::Timer> SimToolkit::createTimer() {
    return std::make_unique<SimTimer>(desktop_);
}

bool SimToolkit::previousInstanceRunning() {
    if (holdsInstance_) return false;
    if (desktop_.instanceHeld) return true;
    desktop_.instanceHeld = holdsInstance_ = true;
    return false;
}

void SimToolkit::messageBox(const std::string& text, const std::string& title,
                            platform::MessageBoxStyle) {
    desktop_.messageBoxes.push_back({text, title});
}

uint32_t simSystemColor(int index) {
    switch (index) {
    case 5: return core::kWhite;     // window background
    case 8: return core::kBlack;     // window text
    case 0x12: return core::kBlack;  // button text
    default: return core::rgb(0xC0, 0xC0, 0xC0);
    }
}

uint32_t SimToolkit::resolveColor(platform::OleColor color) const {
    if (color & platform::kSystemColorFlag)
        return simSystemColor(static_cast<int>(color & ~platform::kSystemColorFlag));
    return core::pixelFromColorRef(color);
}

void SimToolkit::endProgram(int exitCode) {
    desktop_.record("end");
    ended_ = true;
    exitCode_ = exitCode;
}

}  // namespace ruvia::sim
