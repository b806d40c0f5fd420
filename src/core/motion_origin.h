// Where a surface's own pointer positions are measured from while the program moves the
// surface under a held button. Compositors do it one of two ways (MotionReference). Where
// the motion is relative to wherever the compositor had the surface when it made the
// event, motion already on its way when a new place is committed is still relative to
// the old one: a sync sent right after each commit marks the boundary, since the
// compositor handles requests in order and what it sends after answering the sync is
// relative to the new place. Pure bookkeeping.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <string>

namespace ruvia::core {

enum class MotionReference {
    // Every motion of the press is measured from the surface's place when the button
    // went down, wherever the surface has been put since (sway: measured under 1.7).
    PlaceAtPress,
    // Each motion is measured from the place the compositor had taken in when it made
    // the event.
    PlaceCommitted,
};

// How the compositor with these globals measures, until it shows otherwise: KWin (its
// own org_kde_* globals) from the committed place, every other compositor as sway does.
MotionReference motionReferenceOf(std::span<const std::string> globals);

struct SurfacePlace {
    int x = 0;
    int y = 0;
    friend bool operator==(const SurfacePlace&, const SurfacePlace&) = default;
};

class MotionOrigin {
public:
    // `place`: where the compositor has the surface as the button goes down, all of it
    // taken in.
    MotionOrigin(SurfacePlace place, MotionReference reference)
        : reference_(reference), press_(place), takenIn_(place), latest_(place) {}

    // The surface was committed at `place` and a sync sent after the commit; returns the
    // number that answered() is to be given when that sync is answered.
    uint32_t committed(SurfacePlace place);

    // The compositor answered the sync numbered `sync`. Syncs are answered in the order
    // they were sent; an answer to one that was never sent, or was answered, is ignored.
    void answered(uint32_t sync);

    // The place that a surface-local position received now is relative to, measured the
    // compositor's way, or the other way.
    SurfacePlace origin() const { return origin(reference_); }
    SurfacePlace origin(MotionReference reference) const {
        return reference == MotionReference::PlaceAtPress ? press_ : takenIn_;
    }
    // The place committed last.
    SurfacePlace latest() const { return latest_; }

private:
    struct Waiting {
        uint32_t sync;
        SurfacePlace place;
    };
    MotionReference reference_;
    SurfacePlace press_;
    SurfacePlace takenIn_;  // what the compositor had taken in when it last answered
    SurfacePlace latest_;
    std::deque<Waiting> waiting_;
    uint32_t nextSync_ = 1;
};

// A pointer position in the layout.
struct PointerAt {
    double x = 0.0;
    double y = 0.0;
};

// Once the button is up, the compositor measures the pointer from the surface's place as
// it has it, whichever way it measured the press's motion; and the drop put her pin under
// the pointer, if the press's motion was measured the way that was taken (`used`). So
// its first word after the release shows which way it measured the last motion of the
// press (`byPress`, `byCommitted`: where that put the pointer, measured each way): a
// motion (`after`, measured from her place then) agrees with one of them, or the pointer
// leaves her (`after` empty), which only the other way explains: unless the way taken
// put the pointer on another output than her surface's (`onHerOutput` false), where the
// compositor does not look for her. Nothing where that cannot be told: both ways agree
// (she never moved), or a motion agrees with neither (the pointer has moved on since).
std::optional<MotionReference> referenceShownBy(MotionReference used, PointerAt byPress,
                                                PointerAt byCommitted,
                                                std::optional<PointerAt> after,
                                                bool onHerOutput);

}  // namespace ruvia::core
