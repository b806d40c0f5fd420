// WaylandMascotWindow: the pin's drag. She follows the pointer with new margins at each
// motion and is put down where the button came up. Only the Wayland connection is read
// meanwhile: nothing else of the program runs until she is down.
#include "platform/wayland/wayland_mascot_window.h"

#include "platform/wayland/wayland_display.h"
#include "platform/wayland/wayland_outputs.h"

#include <wayland-client.h>

#include <cmath>
#include <deque>
#include <optional>

namespace ruvia::platform::wayland {

struct WaylandMascotWindow::Move {
    Move(PixelRect place, core::MotionReference reference, double gripX, double gripY,
         uint32_t button)
        : origin({place.x, place.y}, reference), gripX(gripX), gripY(gripY), button(button) {}

    core::MotionOrigin origin;
    double gripX, gripY;  // where in her the button went down
    uint32_t button;
    bool over = false;      // the button is up
    bool learnt = false;    // the first motion after the release was looked at
    std::optional<core::PointerAt> byPress, byCommitted;  // the last motion, each way
    struct Sync {
        wl_callback* callback;
        uint32_t number;
    };
    std::deque<Sync> syncs;  // sent, not yet answered
};

namespace {

void onSyncDone(void* data, wl_callback* callback, uint32_t) {
    auto& move = *static_cast<WaylandMascotWindow::Move*>(data);
    for (auto it = move.syncs.begin(); it != move.syncs.end(); ++it) {
        if (it->callback != callback) continue;
        move.origin.answered(it->number);
        move.syncs.erase(it);
        break;
    }
    wl_callback_destroy(callback);
}

const wl_callback_listener kSyncListener{.done = onSyncDone};

}  // namespace

void WaylandMascotWindow::runMoveLoop() {
    if (!press_ || !surface_) return;
    Move move(place_, motionReference_, press_->x, press_->y, press_->code);
    move_ = &move;
    const auto ended = [&] {
        return move.over || !surface_ || display_.pointer().over() != surface_->surface();
    };
    // The press's own motion may already be queued; it is the move's too.
    while (!ended() && display_.waitAndDispatch(-1)) {
    }
    move_ = nullptr;
    for (const Move::Sync& s : move.syncs) wl_callback_destroy(s.callback);
    // The release ended the move; it is no mouse-up of the form's.
    press_.reset();
    // Dropped mostly on another output, she goes on there.
    settleOnOutput();
}

// Motion and the release while the move runs.
void WaylandMascotWindow::followedTo(double x, double y) {
    Move& move = *move_;
    // What comes after the release in the same read is no longer the move's: the
    // release put her down.
    if (move.over) {
        sawAfterRelease(core::PointerAt{x, y});
        return;
    }
    const core::SurfacePlace atPress = move.origin.origin(core::MotionReference::PlaceAtPress);
    const core::SurfacePlace taken = move.origin.origin(core::MotionReference::PlaceCommitted);
    move.byPress = core::PointerAt{atPress.x + x, atPress.y + y};
    move.byCommitted = core::PointerAt{taken.x + x, taken.y + y};
    const core::SurfacePlace from = move.origin.origin();
    const int toX = static_cast<int>(std::lround(from.x + x - move.gripX));
    const int toY = static_cast<int>(std::lround(from.y + y - move.gripY));
    if (toX == place_.x && toY == place_.y) return;
    place_.x = toX;
    place_.y = toY;
    commitPlaceFor(move);
}

// The first word after the release: a motion measured from her place as the compositor
// has it, or (without `x`, `y`) the pointer leaving her. Where it shows that the press's
// motion was measured the other way, she is put where the button came up after all, and
// later drags measure that way.
void WaylandMascotWindow::sawAfterRelease(std::optional<core::PointerAt> local) {
    Move& move = *move_;
    if (move.learnt || !move.byPress || !move.byCommitted) return;
    move.learnt = true;
    std::optional<core::PointerAt> after;
    if (local) {
        const core::SurfacePlace now = move.origin.origin(core::MotionReference::PlaceCommitted);
        after = core::PointerAt{now.x + local->x, now.y + local->y};
    }
    const core::PointerAt taken =
        motionReference_ == core::MotionReference::PlaceAtPress ? *move.byPress : *move.byCommitted;
    const Output* on = surface_ ? display_.outputs().find(surface_->output()) : nullptr;
    const bool onHerOutput = on != nullptr && taken.x >= on->logical.x &&
                             taken.y >= on->logical.y &&
                             taken.x < on->logical.x + on->logical.width &&
                             taken.y < on->logical.y + on->logical.height;
    const auto shown = core::referenceShownBy(motionReference_, *move.byPress,
                                              *move.byCommitted, after, onHerOutput);
    if (!shown || *shown == motionReference_) return;
    motionReference_ = *shown;
    const core::PointerAt at = after.value_or(
        *shown == core::MotionReference::PlaceAtPress ? *move.byPress : *move.byCommitted);
    place_.x = static_cast<int>(std::lround(at.x - move.gripX));
    place_.y = static_cast<int>(std::lround(at.y - move.gripY));
    commitPlaceFor(move);
}

void WaylandMascotWindow::leftWhileMoving() {
    // Before the release the compositor has ended the move itself.
    if (move_->over) sawAfterRelease(std::nullopt);
}

void WaylandMascotWindow::buttonWhileMoving(uint32_t code, bool pressed) {
    // The drop is where the last motion before the release put her.
    if (!pressed && code == move_->button) move_->over = true;
}

void WaylandMascotWindow::commitPlaceFor(Move& move) {
    surface_->place(place_);
    surface_->commit();
    // Sent with the commit: what the compositor says after answering it is relative to
    // the new place, what it said before to the old one.
    wl_callback* callback = wl_display_sync(display_.display());
    move.syncs.push_back({callback, move.origin.committed({place_.x, place_.y})});
    wl_callback_add_listener(callback, &kSyncListener, &move);
    display_.flush();
}

}  // namespace ruvia::platform::wayland
