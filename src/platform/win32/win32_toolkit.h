// Win32 backend: Toolkit. Implements createMascotWindow, createMenuWindow, createTimer,
// doEvents, twipsPerPixel, screens, previousInstanceRunning, messageBox, resolveColor,
// endProgram, reportError and the screensChanged and endAsked events, plus runEventLoop,
// endRequested and exitCode for main. No <windows.h> here.
#pragma once

#include "platform/toolkit.h"
#include "platform/win32/display_scale.h"
#include "platform/win32/surroundings_listener.h"

#include <memory>

namespace ruvia::platform::win32 {

class ActivationRelay;
class WindowIcon;
class Win32MascotWindow;

class Win32Toolkit final : public Toolkit {
public:
    Win32Toolkit();
    ~Win32Toolkit() override;
    Win32Toolkit(const Win32Toolkit&) = delete;
    Win32Toolkit& operator=(const Win32Toolkit&) = delete;

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

    // Dispatches messages until endProgram; returns the exit code.
    int runEventLoop();
    // Whether endProgram has been called: an end asked for before the event loop runs
    // (a second copy refuses to start) must be honoured by main.
    bool endRequested() const { return endRequested_; }
    int exitCode() const { return exitCode_; }

private:
    DisplayScale scale() const;
    void askEnd(EndTiming timing);
    void raiseEndAsked();

    std::unique_ptr<ActivationRelay> activation_;
    Win32MascotWindow* mascot_ = nullptr;  // owned by the form; it sets the scale
    std::unique_ptr<WindowIcon> icon_;
    void* instanceMutex_ = nullptr;  // held for the life of the process once claimed
    bool endRequested_ = false;
    int exitCode_ = 0;
    // An end asked for is raised once: a second close (taskkill again) or the session's
    // end after a close must neither save again nor end a second time.
    enum class AskedEnd { No, Pending, Raised } askedEnd_ = AskedEnd::No;
};

}  // namespace ruvia::platform::win32
