#include "core/expose_gate.h"

namespace ruvia::core {

void ExposeGate::shown(Clock::time_point now) {
    state_ = State::AwaitingMap;
    until_ = now + mapTimeout_;
}

bool ExposeGate::passes(bool visible, bool anythingExposed, Clock::time_point now) {
    if (!visible || !anythingExposed) return false;
    if (state_ != State::Idle && now >= until_) state_ = State::Idle;
    switch (state_) {
        case State::AwaitingMap:
            if (source_ == ExposeSource::ServerBurst) {
                state_ = State::Idle;
            } else {
                state_ = State::Settling;
                until_ = now + kSettleTime;
            }
            return false;
        case State::Settling:
            return false;
        case State::Idle:
            break;
    }
    return true;
}

}  // namespace ruvia::core
