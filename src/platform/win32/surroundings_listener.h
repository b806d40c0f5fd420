// Win32 backend: what the mascot window hears about the program's surroundings (the
// screens or the work area changed, the user or the session asks the program to end),
// handed on through callbacks for the toolkit to raise as its events. No <windows.h>.
#pragma once

#include "platform/win32/message_handler.h"

#include <functional>
#include <utility>

namespace ruvia::platform::win32 {

// When an end that was asked for may run.
enum class EndTiming {
    // Once control is back in the program's own loop: a close that comes during a drag
    // or a capture lets it finish, so the place saved is the one she was dropped at.
    BackInLoop,
    // Before the message's handler returns: the session ends, and the system may end
    // the process the moment the handler is done.
    Now,
};

struct SurroundingsCallbacks {
    std::function<void()> screensChanged;  // once for a burst of changes, from the loop
    std::function<void(EndTiming)> endAsked;
};

class SurroundingsListener {
public:
    explicit SurroundingsListener(SurroundingsCallbacks callbacks)
        : callbacks_(std::move(callbacks)) {}

    // Takes the messages about the surroundings that reach `hwnd`, with the window
    // procedure's result; false for every other message.
    bool handle(HWND__* hwnd, unsigned message, WParam wParam, MessageResult& result);
    // The screens changed, or may have: one report follows from the message loop,
    // however many changes come before it.
    void screensMayHaveChanged(HWND__* hwnd);

private:
    void askEnd(EndTiming timing) const;

    SurroundingsCallbacks callbacks_;
    bool screensQueued_ = false;
};

}  // namespace ruvia::platform::win32
