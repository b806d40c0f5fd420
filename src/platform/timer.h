// A periodic tick delivered on the user-interface thread.
#pragma once

#include <functional>

namespace ruvia::platform {

class Timer {
public:
    virtual ~Timer() = default;

    // Milliseconds between ticks; 0 stops the timer, any other value (re)starts it.
    virtual void setInterval(int milliseconds) = 0;
    virtual int interval() const = 0;

    std::function<void()> onTick;
};

}  // namespace ruvia::platform
