// Rules against window managers that size, place or keep a window unasked. Pure logic
// over a clock the caller reads, so each rule is tested on any platform.
#pragma once

#include <chrono>

namespace ruvia::core {

// A size or place the program did not ask for is put right a few times; a window
// manager that keeps insisting gets its way rather than a fight without end. Stale
// reports (Wine's, under load) come only soon after a show, so a place reported later
// is the user's own move with the window manager's help.
class UnaskedChangeGuard {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr int kMaxRepairs = 3;
    static constexpr std::chrono::milliseconds kPlaceGuardTime{1500};

    // The program sized the window itself.
    void sized() { sizeRepairs_ = 0; }
    // The program showed the window.
    void shown(Clock::time_point now) {
        placeRepairs_ = 0;
        guardPlaceUntil_ = now + kPlaceGuardTime;
    }
    // Whether a report of a move, at `now`, is to be looked at all.
    bool watchesPlace(Clock::time_point now) const { return now < guardPlaceUntil_; }
    // A size other than the program's was reported: true when it is to be put right.
    bool repairSize() { return takeRepair(sizeRepairs_); }
    // A place other than the program's was reported: true when it is to be put right.
    bool repairPlace() { return takeRepair(placeRepairs_); }

private:
    static bool takeRepair(int& repairs) {
        if (repairs >= kMaxRepairs) return false;
        ++repairs;
        return true;
    }

    int sizeRepairs_ = 0;   // since the program last sized the window
    int placeRepairs_ = 0;  // since the last show
    Clock::time_point guardPlaceUntil_{};
};

// How a window manager withdraws a window: most hand it back to the root, some only
// unmap its frame and keep it. Waits for the hand-back that run out twice in a row, the
// window gone from the screen each time, teach that it never comes; a map that takes
// too long (perhaps lost to a window manager still busy with the withdraw) unteaches it.
class WithdrawLearning {
public:
    static constexpr int kKeptFramesToLearn = 2;

    // Whether a withdrawn window counts as gone once it is off the screen.
    bool offScreenIsGone() const { return keptFrames_ >= kKeptFramesToLearn; }
    // A wait for the hand-back ended: it ran out or not, the window off the screen or not.
    void waited(bool timedOut, bool offScreen) {
        if (offScreenIsGone()) return;
        keptFrames_ = timedOut && offScreen ? keptFrames_ + 1 : 0;
    }
    void mapTimedOut() { keptFrames_ = 0; }

private:
    int keptFrames_ = 0;  // waits in a row that ran out with the window off the screen
};

}  // namespace ruvia::core
