// What is learnt about a window manager's ways with a window. Pure logic, so it is
// tested on any platform. (Sizes and places kept against it: kept_geometry.h.)
#pragma once

namespace ruvia::core {

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
