#include "core/click_rule.h"
#include "core/expose_gate.h"
#include "core/window_manager_guards.h"

#include <gtest/gtest.h>

#include <vector>

using ruvia::core::ExposeGate;
using ruvia::core::ExposeSource;
using namespace std::chrono_literals;

namespace {

struct Step {
    enum Kind { Show, Expose } kind;
    std::chrono::milliseconds at;
    bool visible = true;
    bool anythingExposed = true;
    bool passes = false;  // for exposes: whether the program is asked to repaint
};

Step show(std::chrono::milliseconds at) { return {Step::Show, at}; }
Step expose(std::chrono::milliseconds at, bool passes, bool visible = true, bool exposed = true) {
    return {Step::Expose, at, visible, exposed, passes};
}

}  // namespace

TEST(ExposeGate, PassesOnlyExposesThatDoNotFollowTheWindowsOwnShow) {
    struct Case {
        const char* name;
        std::vector<Step> steps;
        ExposeSource source = ExposeSource::Toolkit;
    };
    const Case cases[] = {
        {"never shown by the program", {expose(0ms, true), expose(5ms, true)}},
        {"the show's exposes arrive together",
         {show(0ms), expose(3ms, false), expose(4ms, false), expose(90ms, false)}},
        {"an uncovering after the show has settled",
         {show(0ms), expose(3ms, false), expose(103ms, true), expose(104ms, true)}},
        {"the settling time counts from the first expose, not from the show",
         {show(0ms), expose(500ms, false), expose(550ms, false), expose(601ms, true)}},
        {"a covered window that was never exposed stops waiting",
         {show(0ms), expose(1000ms, true)}},
        {"exposes of a hidden window or of nothing never pass, nor start the settling",
         {expose(0ms, false, false, true), expose(1ms, false, true, false), show(10ms),
          expose(11ms, false, true, false), expose(20ms, false), expose(119ms, false),
          expose(121ms, true)}},
        {"every show is followed by its own exposes",
         {show(0ms), expose(1ms, false), expose(200ms, true), show(300ms), expose(302ms, false),
          expose(403ms, true)}},
        // The server's bursts: only the first after a show is the show's own, so an
        // uncover right after it is never lost.
        {"bursts: an uncover right after the show's own",
         {show(0ms), expose(3ms, false), expose(8ms, true), expose(50ms, true)},
         ExposeSource::ServerBurst},
        {"bursts: each show swallows one, a covered one stops waiting",
         {show(0ms), expose(1ms, false), show(10ms), expose(1010ms, true), show(2000ms),
          expose(2001ms, false, false, true), expose(2002ms, false)},
         ExposeSource::ServerBurst},
    };
    for (const Case& c : cases) {
        ExposeGate gate(c.source);
        const auto start = ExposeGate::Clock::time_point{} + 1h;
        for (size_t i = 0; i < c.steps.size(); ++i) {
            const Step& s = c.steps[i];
            if (s.kind == Step::Show) {
                gate.shown(start + s.at);
                continue;
            }
            EXPECT_EQ(gate.passes(s.visible, s.anythingExposed, start + s.at), s.passes)
                << c.name << ", step " << i;
        }
    }
}

TEST(ExposeGate, AShorterWaitForTheShowsOwnRepaintPassesALateOne) {
    // Windows sends one WM_PAINT for a show, within half a second if at all.
    ExposeGate gate(ExposeSource::ServerBurst, 500ms);
    const auto start = ExposeGate::Clock::time_point{} + 1h;
    gate.shown(start);
    EXPECT_TRUE(gate.passes(true, true, start + 600ms));
    gate.shown(start + 1s);
    EXPECT_FALSE(gate.passes(true, true, start + 1s + 499ms));
    EXPECT_TRUE(gate.passes(true, true, start + 1s + 500ms));
}

TEST(ClickRule, APressAndReleaseOfOneButtonCloseTogetherOverTheWindowIsAClick) {
    struct Case {
        const char* name;
        int pressButton, releaseButton;
        int dx, dy;
        bool overWindow;
        bool forgotten;
        bool click;
    };
    const Case cases[] = {
        {"still", 1, 1, 0, 0, true, false, true},
        {"a wobble of the slop", 1, 1, 3, -1, true, false, true},
        {"one pixel past it", 1, 1, 3, 2, true, false, false},
        {"another button came up", 1, 2, 0, 0, true, false, false},
        {"released off the window", 2, 2, 0, 0, false, false, false},
        {"the press was a drag's", 1, 1, 0, 0, true, true, false},
    };
    for (const Case& c : cases) {
        ruvia::core::ClickRule rule;
        rule.pressed(c.pressButton, 100, 200);
        if (c.forgotten) rule.forget();
        EXPECT_EQ(rule.released(c.releaseButton, 100 + c.dx, 200 + c.dy, c.overWindow), c.click)
            << c.name;
        EXPECT_FALSE(rule.released(c.releaseButton, 100, 200, true))
            << c.name << ": a second release without a press";
    }
}

TEST(WithdrawLearning, TwoWaitsInARowThatRunOutOffTheScreenTeachOffScreenIsGone) {
    struct Wait {
        bool timedOut, offScreen;
    };
    struct Case {
        const char* name;
        std::vector<Wait> waits;
        bool learned;
    };
    const Case cases[] = {
        {"a window manager that hands windows back", {{false, true}, {false, true}}, false},
        {"kept frames twice in a row", {{true, true}, {true, true}}, true},
        {"a hand-back between the two", {{true, true}, {false, true}, {true, true}}, false},
        {"ran out with the window still on the screen", {{true, false}, {true, false}}, false},
        {"once learnt, a hand-back does not unteach it", {{true, true}, {true, true}, {false, true}},
         true},
    };
    for (const Case& c : cases) {
        ruvia::core::WithdrawLearning learning;
        for (const Wait& w : c.waits) learning.waited(w.timedOut, w.offScreen);
        EXPECT_EQ(learning.offScreenIsGone(), c.learned) << c.name;
        learning.mapTimedOut();
        EXPECT_FALSE(learning.offScreenIsGone()) << c.name << ": a slow map unteaches it";
    }
}
