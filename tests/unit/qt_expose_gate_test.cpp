#include "platform/qt/expose_gate.h"

#include <gtest/gtest.h>

#include <vector>

using ruvia::platform::qt::ExposeGate;
using ruvia::platform::qt::ExposeSource;
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
