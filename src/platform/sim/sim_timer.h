// Sim backend: Timer, ticking from the desktop's clock.
#pragma once

#include "platform/sim/sim_desktop.h"
#include "platform/timer.h"

namespace ruvia::sim {

class SimTimer : public platform::Timer {
public:
    explicit SimTimer(SimDesktop& desktop) : desktop_(desktop) { desktop_.addTimer(*this); }
    ~SimTimer() override { desktop_.removeTimer(*this); }

    void setInterval(int milliseconds) override {
        interval_ = milliseconds;
        nextDue_ = desktop_.now() + milliseconds;
    }
    int interval() const override { return interval_; }

    int64_t nextDue() const { return nextDue_; }
    void fire() {
        nextDue_ += interval_;
        if (onTick) onTick();
    }

private:
    SimDesktop& desktop_;
    int interval_ = 0;
    int64_t nextDue_ = 0;
};

}  // namespace ruvia::sim
