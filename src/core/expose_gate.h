// Tells a window system's request to repaint from the ones that only follow the window's
// own show. Pure logic over a clock the caller reads; every backend uses it.
// The forms capture the screen on every repaint request and show the window again at
// the end of the capture; were that show's exposes passed on, captures would never end.
// But an uncover that comes soon after the show is real and must never be lost: the
// copy just taken may hold the window that has since gone.
#pragma once

#include <chrono>

namespace ruvia::core {

// Where exposes come from. The X server reports one burst per change of what is
// visible, so after a show's own burst every further one is an uncover; so does Windows,
// one WM_PAINT. The toolkit's exposes carry no such boundary and are told apart by time
// alone.
enum class ExposeSource { ServerBurst, Toolkit };

class ExposeGate {
public:
    using Clock = std::chrono::steady_clock;

    // For toolkit exposes: how long after the first expose of a show further exposes
    // still belong to it (the toolkit's own expose on map and the server's ones arrive
    // together). For both: how long a show may wait for its window to be exposed at all
    // (a covered window is not).
    static constexpr std::chrono::milliseconds kSettleTime{100};
    static constexpr std::chrono::milliseconds kMapTimeout{1000};

    explicit ExposeGate(ExposeSource source = ExposeSource::Toolkit,
                        std::chrono::milliseconds mapTimeout = kMapTimeout)
        : source_(source), mapTimeout_(mapTimeout) {}

    // The window was shown by the program itself.
    void shown(Clock::time_point now);

    // An expose arrived for the window; true when it asks the program to repaint.
    // Exposes of a hidden window or with nothing exposed never do.
    bool passes(bool visible, bool anythingExposed, Clock::time_point now);

private:
    enum class State { Idle, AwaitingMap, Settling };
    ExposeSource source_;
    std::chrono::milliseconds mapTimeout_;
    State state_ = State::Idle;
    Clock::time_point until_{};
};

}  // namespace ruvia::core
