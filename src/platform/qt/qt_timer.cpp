#include "platform/qt/qt_timer.h"

#include <QTimer>

namespace ruvia::platform::qt {

QtTimer::QtTimer() : timer_(std::make_unique<QTimer>()) {
    // A coarse timer may drift by 5 %; the swing is timed in whole ticks of 50 ms.
    timer_->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer_.get(), &QTimer::timeout, [this] {
        if (onTick) onTick();
    });
}

QtTimer::~QtTimer() = default;

void QtTimer::setInterval(int milliseconds) {
    interval_ = milliseconds;
    if (milliseconds <= 0) {
        timer_->stop();
        return;
    }
    timer_->start(milliseconds);
}

}  // namespace ruvia::platform::qt
