// The window toolkit the forms are written against: the few services they use,
// nothing wider. One implementation per backend (sim, qt, win32).
#pragma once

#include "platform/mascot_window.h"
#include "platform/menu_window.h"
#include "platform/timer.h"
#include "platform/types.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ruvia::platform {

enum class MessageBoxStyle { OkOnly };

// What the window system tells the program as a whole.
struct ToolkitEvents {
    // A screen was added, removed, resized or moved, or its work area changed. Raised
    // from the event loop, once for a burst of such changes.
    std::function<void()> screensChanged;
    // The program is asked to end in an orderly way: the session ends, a terminating
    // signal, a close message. The handler keeps what must be kept and ends the program.
    std::function<void()> endAsked;
};

class Toolkit {
public:
    virtual ~Toolkit() = default;

    virtual std::unique_ptr<MascotWindow> createMascotWindow() = 0;
    virtual std::unique_ptr<MenuWindow> createMenuWindow() = 0;
    virtual std::unique_ptr<Timer> createTimer() = 0;

    // Runs every pending event of the program, then returns.
    virtual void doEvents() = 0;

    // Twips per logical pixel: 15 at 96 dpi.
    virtual double twipsPerPixel() const = 0;

    // Every screen's rectangle in logical pixels; the primary screen first.
    virtual std::vector<PixelRect> screens() const = 0;

    // True when another copy of the program is already running. The first call
    // claims the one-instance lock for this process when it is free.
    virtual bool previousInstanceRunning() = 0;

    // Modal; returns when the user dismisses it. Texts are UTF-8.
    virtual void messageBox(const std::string& text, const std::string& title,
                            MessageBoxStyle style) = 0;

    // The user's current colour for system colour values, plain colours unchanged;
    // the result is an opaque pixel of core::Image.
    virtual uint32_t resolveColor(OleColor color) const = 0;

    // Ends the program: the event loop returns as soon as control gets back to it.
    virtual void endProgram(int exitCode) = 0;

    // One line for whoever started the program (the error stream), for what must be
    // said where no window may be shown any more. UTF-8, without the line break.
    virtual void reportError(const std::string& line) = 0;

    ToolkitEvents events;
};

}  // namespace ruvia::platform
