// Sim backend: Toolkit. One per simulated program, all sharing one SimDesktop.
#pragma once

#include "platform/sim/sim_desktop.h"
#include "platform/toolkit.h"

namespace ruvia::sim {

class SimMascotWindow;
class SimMenuWindow;

class SimToolkit : public platform::Toolkit {
public:
    explicit SimToolkit(SimDesktop& desktop);
    ~SimToolkit() override;

    std::unique_ptr<platform::MascotWindow> createMascotWindow() override;
    std::unique_ptr<platform::MenuWindow> createMenuWindow() override;
    std::unique_ptr<platform::Timer> createTimer() override;
    void doEvents() override { desktop_.doEvents(); }
    double twipsPerPixel() const override { return desktop_.twipsPerPixel(); }
    std::vector<platform::PixelRect> screens() const override { return desktop_.screens(); }
    bool previousInstanceRunning() override;
    void messageBox(const std::string& text, const std::string& title,
                    platform::MessageBoxStyle style) override;
    uint32_t resolveColor(platform::OleColor color) const override;
    void endProgram(int exitCode) override;
    void reportError(const std::string& line) override { errorLines.push_back(line); }

    std::vector<std::string> errorLines;  // what reportError was given
    bool ended() const { return ended_; }
    int exitCode() const { return exitCode_; }
    SimMascotWindow* mascotWindow() const { return mascot_; }
    SimMenuWindow* menuWindow() const { return menu_; }

private:
    SimDesktop& desktop_;
    bool holdsInstance_ = false;
    bool ended_ = false;
    int exitCode_ = 0;
    SimMascotWindow* mascot_ = nullptr;
    SimMenuWindow* menu_ = nullptr;
};

// The user's system colours on the simulated desktop.
uint32_t simSystemColor(int index);

}  // namespace ruvia::sim
