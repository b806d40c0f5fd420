// A window whose size and place only the program decides, kept against the window
// manager. Pure rules over a clock the caller reads.
#pragma once

#include <chrono>

namespace ruvia::core {

// The size the program last asked for is the window's size. A different size the window
// system reports (a tiling window manager's tile, a stale notice) is put back, a few
// times in a row; one that keeps coming back is let be. Neither is ever laid out anew.
enum class SizeReport { AsAsked, PutBack, LetBe };

class KeptSize {
public:
    static constexpr int kMaxPutBacks = 3;

    void asked(int width, int height);
    // Before the first ask every size is as asked: nothing has been decided yet.
    SizeReport reported(int width, int height);

private:
    int width_ = -1;
    int height_ = -1;
    int putBacks_ = 0;
};

// Where the program put the window, kept through the window manager's taking it on again
// at each show: i3 puts a borderless floating window a title bar lower every time. A
// place reported soon after a show that is not where the program put the window is put
// back, a few times; any other is the user's move with the window manager's help, and
// becomes the kept place.
enum class PlaceReport { AsPlaced, PutBack, Adopted };

class KeptPlace {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kGuardTime{1000};
    static constexpr int kMaxPutBacks = 3;

    // `guardTime`: how long after a show a place not asked for counts as the window
    // system's rather than the user's.
    explicit KeptPlace(std::chrono::milliseconds guardTime = kGuardTime) : guardTime_(guardTime) {}

    void placed(int x, int y);
    void shown(Clock::time_point now);
    PlaceReport reported(int x, int y, Clock::time_point now);
    bool known() const { return known_; }
    int x() const { return x_; }
    int y() const { return y_; }

private:
    std::chrono::milliseconds guardTime_;
    bool known_ = false;
    int x_ = 0;
    int y_ = 0;
    int putBacks_ = 0;
    Clock::time_point guardUntil_{};
};

}  // namespace ruvia::core
