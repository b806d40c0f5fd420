// Qt backend: Timer. Implements setInterval (0 stops), interval and onTick.
#pragma once

#include "platform/timer.h"

#include <memory>

class QTimer;

namespace ruvia::platform::qt {

class QtTimer : public Timer {
public:
    QtTimer();
    ~QtTimer() override;

    void setInterval(int milliseconds) override;
    int interval() const override { return interval_; }

private:
    std::unique_ptr<QTimer> timer_;
    int interval_ = 0;
};

}  // namespace ruvia::platform::qt
