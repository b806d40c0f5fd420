#include "core/motion_origin.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using ruvia::core::MotionOrigin;
using ruvia::core::MotionReference;
using ruvia::core::SurfacePlace;

namespace {

// Commit a place (the sync sent after it gets the next number), or answer a sync; then
// the place that motion received now is relative to.
struct Step {
    enum Kind { Commit, Answer } kind;
    SurfacePlace place;  // Commit
    uint32_t sync = 0;   // Answer
    SurfacePlace origin;
};

Step commit(SurfacePlace place, SurfacePlace origin) { return {Step::Commit, place, 0, origin}; }
Step answer(uint32_t sync, SurfacePlace origin) { return {Step::Answer, {}, sync, origin}; }

constexpr SurfacePlace P0{200, 100}, A{238, 142}, B{338, 292}, C{400, 300};

}  // namespace

TEST(MotionOrigin, MotionIsRelativeToThePlaceTheCompositorHadTakenIn) {
    struct Case {
        const char* name;
        MotionReference reference;
        std::vector<Step> steps;
    };
    const Case cases[] = {
        {"motion in flight stays relative to the old place until the sync is answered",
         MotionReference::PlaceCommitted,
         {commit(A, P0), answer(1, A), commit(B, A), commit(C, A), answer(2, B), answer(3, C)}},
        {"an answer vouches for every sync sent before it",
         MotionReference::PlaceCommitted, {commit(A, P0), commit(B, P0), answer(2, B)}},
        {"an answer to no sync sent, or one answered already, changes nothing",
         MotionReference::PlaceCommitted,
         {answer(1, P0), commit(A, P0), answer(7, P0), answer(1, A), commit(B, A),
          answer(1, A)}},
        {"sway: every motion of the press is relative to the place at the press",
         MotionReference::PlaceAtPress,
         {commit(A, P0), answer(1, P0), commit(B, P0), commit(C, P0), answer(3, P0)}},
    };
    for (const Case& c : cases) {
        MotionOrigin origin(P0, c.reference);
        uint32_t sent = 0;
        SurfacePlace latest = P0;
        for (size_t i = 0; i < c.steps.size(); ++i) {
            const Step& s = c.steps[i];
            if (s.kind == Step::Commit) {
                EXPECT_EQ(origin.committed(s.place), ++sent) << c.name << ", step " << i;
                latest = s.place;
            } else {
                origin.answered(s.sync);
            }
            EXPECT_EQ(origin.origin(), s.origin) << c.name << ", step " << i;
            // The other way is known all along, for the check after the release.
            EXPECT_EQ(origin.origin(MotionReference::PlaceAtPress), P0) << c.name;
            EXPECT_EQ(origin.latest(), latest) << c.name << ", step " << i;
        }
    }
}

TEST(MotionOrigin, TheFirstWordAfterTheReleaseShowsTheCompositorsWay) {
    using ruvia::core::PointerAt;
    constexpr auto AtPress = MotionReference::PlaceAtPress;
    constexpr auto Committed = MotionReference::PlaceCommitted;
    struct Case {
        const char* name;
        MotionReference used;
        PointerAt byPress, byCommitted;
        std::optional<PointerAt> after;  // empty: the pointer left her
        std::optional<MotionReference> shown;
        bool onHerOutput = true;
    };
    // Pressed at (262, 108) with her at P0, the last motion (200, 200) after she was
    // taken in at A: the pointer was at (400, 300) measured from the press, at (438, 342)
    // from the place taken in.
    const PointerAt press{400, 300}, committed{438, 342};
    const Case cases[] = {
        {"sway, as taken", AtPress, press, committed, PointerAt{400, 300}, AtPress},
        {"from the committed place, as taken", Committed, press, committed,
         PointerAt{438.2, 341.9}, Committed},
        {"taken the wrong way, the pointer is not over her", Committed, press, committed,
         std::nullopt, AtPress},
        {"and the other wrong way", AtPress, press, committed, std::nullopt, Committed},
        {"dropped on another output, where the compositor does not look for her", AtPress,
         press, committed, std::nullopt, std::nullopt, false},
        {"she never moved: both ways agree", AtPress, {262, 108}, {262, 108}, std::nullopt,
         std::nullopt},
        {"the pointer has moved on", AtPress, press, committed, PointerAt{420, 310},
         std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ruvia::core::referenceShownBy(c.used, c.byPress, c.byCommitted, c.after,
                                                c.onHerOutput),
                  c.shown)
            << c.name;
}

TEST(MotionOrigin, TheCompositorsWayIsToldByItsGlobals) {
    using Globals = std::vector<std::string>;
    const Globals sway{"wl_compositor", "zwlr_layer_shell_v1", "org_kde_kwin_idle",
                       "org_kde_kwin_server_decoration_manager", "wl_seat"};
    Globals kwin = sway;
    kwin.push_back("org_kde_plasma_shell");
    EXPECT_EQ(ruvia::core::motionReferenceOf(sway), MotionReference::PlaceAtPress);
    EXPECT_EQ(ruvia::core::motionReferenceOf(kwin), MotionReference::PlaceCommitted);
    EXPECT_EQ(ruvia::core::motionReferenceOf(Globals{}), MotionReference::PlaceAtPress);
}
