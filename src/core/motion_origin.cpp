#include "core/motion_origin.h"

namespace ruvia::core {

uint32_t MotionOrigin::committed(SurfacePlace place) {
    const uint32_t sync = nextSync_++;
    waiting_.push_back({sync, place});
    latest_ = place;
    return sync;
}

void MotionOrigin::answered(uint32_t sync) {
    bool known = false;
    for (const Waiting& w : waiting_) known = known || w.sync == sync;
    if (!known) return;
    // An answer also vouches for every sync sent before it.
    while (!waiting_.empty() && waiting_.front().sync <= sync) {
        origin_ = waiting_.front().place;
        waiting_.pop_front();
    }
}

}  // namespace ruvia::core
