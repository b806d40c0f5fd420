// Win32 backend: Timer. Implements setInterval, interval and onTick with SetTimer on a
// message-only window of its own, so ticks arrive through the thread's message queue.
#pragma once

#include "platform/timer.h"
#include "platform/win32/message_handler.h"

namespace ruvia::platform::win32 {

class Win32Timer final : public Timer, private MessageHandler {
public:
    Win32Timer();
    ~Win32Timer() override;
    Win32Timer(const Win32Timer&) = delete;
    Win32Timer& operator=(const Win32Timer&) = delete;

    void setInterval(int milliseconds) override;
    int interval() const override { return interval_; }

private:
    MessageResult onMessage(HWND__* hwnd, unsigned message, WParam wParam,
                            LParam lParam) override;

    HWND__* hwnd_ = nullptr;
    int interval_ = 0;
};

}  // namespace ruvia::platform::win32
