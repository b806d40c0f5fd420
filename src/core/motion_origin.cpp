#include "core/motion_origin.h"

#include "core/compositor_globals.h"

#include <cmath>

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
    bool known = false;
    for (const Waiting& w : waiting_) known = known || w.sync == sync;
    if (!known) return;
    // An answer also vouches for every sync sent before it.
    while (!waiting_.empty() && waiting_.front().sync <= sync) {
        takenIn_ = waiting_.front().place;
        waiting_.pop_front();
    }
}

std::optional<MotionReference> referenceShownBy(MotionReference used, PointerAt byPress,
                                                PointerAt byCommitted,
                                                std::optional<PointerAt> after,
                                                bool onHerOutput) {
    // Positions come in 1/256 pixel; a release on the same spot agrees to well within this.
    constexpr double kSame = 0.5;
    auto same = [](PointerAt a, PointerAt b) {
        return std::abs(a.x - b.x) < kSame && std::abs(a.y - b.y) < kSame;
    };
    if (same(byPress, byCommitted)) return std::nullopt;
    if (!after && !onHerOutput) return std::nullopt;
    if (!after)
        return used == MotionReference::PlaceAtPress ? MotionReference::PlaceCommitted
                                                     : MotionReference::PlaceAtPress;
    if (same(byPress, *after)) return MotionReference::PlaceAtPress;
    if (same(byCommitted, *after)) return MotionReference::PlaceCommitted;
    return std::nullopt;
}

}  // namespace ruvia::core
