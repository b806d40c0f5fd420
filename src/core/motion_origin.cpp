#include "core/motion_origin.h"

#include "core/compositor_globals.h"

namespace ruvia::core {

MotionReference motionReferenceOf(std::span<const std::string> globals) {
    for (const std::string& name : globals)
        if (isKwinGlobal(name)) return MotionReference::PlaceCommitted;
    return MotionReference::PlaceAtPress;
}

uint32_t MotionOrigin::committed(SurfacePlace place) {
    const uint32_t sync = nextSync_++;
    waiting_.push_back({sync, place});
    latest_ = place;
    return sync;
}

void MotionOrigin::answered(uint32_t sync) {
    // Measured from the press's place, the motion never moves to another.
    if (reference_ == MotionReference::PlaceAtPress) {
        std::erase_if(waiting_, [&](const Waiting& w) { return w.sync <= sync; });
        return;
    }
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
