// Qt backend: Toolkit. Implements createMascotWindow, createMenuWindow, createTimer,
// doEvents, twipsPerPixel, screens, previousInstanceRunning, messageBox, resolveColor,
// endProgram, reportError and the screensChanged and endAsked events, plus
// endRequested/exitCode for main. The mascot window is Qt's, or one from a
// MascotWindowSource. Needs a QApplication to exist for as long as it does.
// No Qt types here.
#pragma once

#include "platform/toolkit.h"

#include <functional>
#include <memory>
#include <string>

namespace ruvia::platform::qt {

class DeactivationWatch;
class InstanceLock;
class SurroundingsWatch;

// Where the mascot window is not Qt's own (a layer surface of the compositor's), it
// comes from here; the rest of the program stays Qt.
class MascotWindowSource {
public:
    virtual ~MascotWindowSource() = default;
    // `pressed` is told of each button that goes down on the window.
    virtual std::unique_ptr<MascotWindow> create(std::function<void()> pressed) = 0;
    // Told once, with one line saying why, if the window's connection goes.
    virtual void onConnectionLost(std::function<void(const std::string&)> lost) = 0;
};

class QtToolkit : public Toolkit {
public:
    explicit QtToolkit(std::unique_ptr<MascotWindowSource> mascots = nullptr);
    ~QtToolkit() override;
    QtToolkit(const QtToolkit&) = delete;
    QtToolkit& operator=(const QtToolkit&) = delete;

    std::unique_ptr<MascotWindow> createMascotWindow() override;
    std::unique_ptr<MenuWindow> createMenuWindow() override;
    std::unique_ptr<Timer> createTimer() override;
    void doEvents() override;
    double twipsPerPixel() const override;
    std::vector<PixelRect> screens() const override;
    bool previousInstanceRunning() override;
    void messageBox(const std::string& text, const std::string& title,
                    MessageBoxStyle style) override;
    uint32_t resolveColor(OleColor color) const override;
    void endProgram(int exitCode) override;
    void reportError(const std::string& line) override;

    // Whether endProgram has been called, and with which code: an end asked for before
    // the event loop runs (a second copy refuses to start) must be honoured by main.
    bool endRequested() const { return endRequested_; }
    int exitCode() const { return exitCode_; }

private:
    std::unique_ptr<MascotWindowSource> mascots_;  // null: the mascot is Qt's window
    std::unique_ptr<DeactivationWatch> activation_;
    std::unique_ptr<InstanceLock> instanceLock_;
    std::unique_ptr<SurroundingsWatch> surroundings_;
    bool endRequested_ = false;
    int exitCode_ = 0;
};

}  // namespace ruvia::platform::qt
