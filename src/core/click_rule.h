// What makes a press and a release a click: the same button, the pointer travelling no
// farther than a few pixels in between, and the release over the window. Pure logic;
// every backend and the forms' tests use this one rule.
#pragma once

#include <cstdlib>
#include <optional>

namespace ruvia::core {

class ClickRule {
public:
    // Manhattan distance, in screen pixels, that a hand may wobble in a click.
    static constexpr int kSlop = 4;

    // A button went down at (x, y) on the screen.
    void pressed(int button, int x, int y) { press_ = Press{button, x, y}; }
    // The press was taken by something else (a move loop): its release is no click.
    void forget() { press_.reset(); }
    // A button came up at (x, y); true when that completes a click.
    bool released(int button, int x, int y, bool overWindow) {
        const std::optional<Press> press = press_;
        press_.reset();
        return press && press->button == button && overWindow &&
               std::abs(x - press->x) + std::abs(y - press->y) <= kSlop;
    }

private:
    struct Press {
        int button;
        int x;
        int y;
    };
    std::optional<Press> press_;
};

}  // namespace ruvia::core
