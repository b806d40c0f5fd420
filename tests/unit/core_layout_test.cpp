#include "core/display_scale.h"
#include "core/kept_geometry.h"
#include "core/layout.h"
#include "core/rounding.h"

#include <gtest/gtest.h>

using namespace ruvia::core;

TEST(Rounding, TiesGoToEven) {
    const std::pair<double, int32_t> cases[] = {{53.5, 54}, {52.5, 52}, {0.5, 0},   {1.5, 2},
                                                {-0.5, 0},  {-1.5, -2}, {-2.5, -2}, {94.49, 94},
                                                {60.5, 60}, {2.6, 3},   {-2.6, -3}};
    for (const auto& [v, r] : cases) EXPECT_EQ(roundHalfEven(v), r) << v;
    EXPECT_THROW(roundHalfEven(3e9), std::overflow_error);
    EXPECT_THROW(roundHalfEven(-3e9), std::overflow_error);
}

TEST(Rounding, FloorDivisionRoundsDownBelowZeroToo) {
    const std::tuple<int, int, int> cases[] = {{7, 2, 3},   {6, 2, 3},   {0, 3, 0},  {-1, 2, -1},
                                               {-2, 2, -1}, {-3, 2, -2}, {-7, 3, -3}, {5, 1, 5}};
    for (const auto& [a, b, q] : cases) EXPECT_EQ(floorDiv(a, b), q) << a << " / " << b;
}

TEST(Layout, ScaleWidthFromSceneHeight) {
    struct Case {
        double height;
        double rope;
        float scaleWidth;
    };
    const Case cases[] = {
        {150, 94, 107.21204f}, {188, 132, 121.44669f}, {56, 0, 72.0f}, {0, -56, 51.02263f},
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(ropeLength(c.height), c.rope) << c.height;
        EXPECT_NEAR(windowScaleWidth(ropeLength(c.height)), c.scaleWidth, 1e-4) << c.height;
    }
    // Twips at 15 and 12 twips per pixel.
    EXPECT_NEAR(windowScaleWidth(94) * 15.0, 1608.18, 0.01);
    EXPECT_NEAR(windowScaleWidth(132) * 12.0, 1457.36, 0.01);
}

TEST(Layout, PinAnchorAndRestPosition) {
    struct Case {
        double width;
        double rope;
        PinLayout expected;  // pinX, pinY, charX, charY, lineX1, lineY1
    };
    const Case cases[] = {
        {107, 94, {54, 0, 46, 94, 60, 12}},
        {105, 94, {52, 0, 44, 94, 58, 12}},
        {109, 94, {54, 0, 46, 94, 60, 12}},
        {121, 132, {60, 0, 52, 132, 66, 12}},
        {108, 94, {54, 0, 46, 94, 60, 12}},
        {107, 94.5, {54, 0, 46, 94, 60, 12}},
        {72, 0, {36, 0, 28, 0, 42, 12}},
        {51, -56, {26, 0, 18, -56, 32, 12}},
    };
    for (const Case& c : cases) EXPECT_EQ(pinLayout(c.width, 0.0, c.rope), c.expected) << c.width;
}

TEST(DisplayScale, TheArtScalesByWholeNumbersAndTheSizeKeepsItsTwipsAcrossMonitors) {
    const std::pair<int, DisplayScale> scales[] = {
        {96, {96, 1}}, {120, {120, 1}}, {144, {144, 1}}, {191, {191, 1}},
        {192, {192, 2}}, {288, {288, 3}}, {0, {96, 1}}, {-5, {96, 1}}};
    for (const auto& [dpi, expected] : scales) EXPECT_EQ(displayScaleFor(dpi), expected) << dpi;
    EXPECT_DOUBLE_EQ(displayScaleFor(192).twipsPerScenePixel(), 15.0);

    // Dragged from a 100% monitor to a 200% one and back, three times: never a pixel more.
    const DisplayScale normal = displayScaleFor(96), doubled = displayScaleFor(192);
    DeviceSize size{107, 150};
    for (int trip = 0; trip < 3; ++trip) {
        size = sizeOnOtherScale(size, normal, doubled);
        EXPECT_EQ(size, (DeviceSize{214, 300}));
        size = sizeOnOtherScale(size, doubled, normal);
        EXPECT_EQ(size, (DeviceSize{107, 150}));
    }
    // 125% and 150%: the same twips in finer pixels (the layout then fits the width to
    // the height); 1605 x 2250 twips are 133.75 x 187.5 pixels at 12 twips each.
    EXPECT_EQ(sizeOnOtherScale({107, 150}, normal, displayScaleFor(120)), (DeviceSize{134, 188}));
    EXPECT_EQ(sizeOnOtherScale({121, 188}, displayScaleFor(120), displayScaleFor(144)),
              (DeviceSize{145, 226}));
}

TEST(KeptSize, AnUnaskedSizeIsPutBackThriceThenLetBeAndANewAskStartsAgain) {
    KeptSize kept;
    // Nothing asked yet: whatever the window has is its size.
    EXPECT_EQ(kept.reported(640, 480), SizeReport::AsAsked);
    kept.asked(107, 150);
    const struct {
        int width, height;
        SizeReport expected;
    } steps[] = {
        {107, 150, SizeReport::AsAsked},
        {1280, 780, SizeReport::PutBack},  // a tile
        {107, 150, SizeReport::AsAsked},   // put back: the count goes on all the same
        {1280, 780, SizeReport::PutBack},
        {107, 151, SizeReport::PutBack},
        {1280, 780, SizeReport::LetBe},     // a window manager that insists gets its way
        {107, 150, SizeReport::AsAsked},
    };
    for (const auto& s : steps)
        EXPECT_EQ(kept.reported(s.width, s.height), s.expected) << s.width << "x" << s.height;
    // The program's own new size starts the count again.
    kept.asked(121, 188);
    EXPECT_EQ(kept.reported(107, 150), SizeReport::PutBack);
    EXPECT_EQ(kept.reported(121, 188), SizeReport::AsAsked);
}

TEST(KeptPlace, AMoveSoonAfterAShowIsPutBackAndALaterOneIsTheUsers) {
    using namespace std::chrono_literals;
    const KeptPlace::Clock::time_point t0{};
    KeptPlace kept;
    // Never placed by the program: whatever the window manager says.
    EXPECT_EQ(kept.reported(5, 5, t0), PlaceReport::Adopted);
    kept.placed(200, 100);
    kept.shown(t0);
    const struct {
        int x, y;
        std::chrono::milliseconds at;
        PlaceReport expected;
    } steps[] = {
        {200, 100, 1ms, PlaceReport::AsPlaced},
        {202, 118, 2ms, PlaceReport::PutBack},  // taken on again a title bar lower
        {200, 100, 3ms, PlaceReport::AsPlaced},
        {202, 118, 4ms, PlaceReport::PutBack},
        {202, 118, 5ms, PlaceReport::PutBack},
        {202, 118, 6ms, PlaceReport::Adopted},  // it insists: it gets its way
        {300, 300, 1500ms, PlaceReport::Adopted},  // long after the show: the user's move
        {300, 300, 1600ms, PlaceReport::AsPlaced},
    };
    for (const auto& s : steps)
        EXPECT_EQ(kept.reported(s.x, s.y, t0 + s.at), s.expected) << s.x << "," << s.y;
    EXPECT_EQ((std::pair{kept.x(), kept.y()}), (std::pair{300, 300}));
    // The next show guards the place anew.
    kept.shown(t0 + 2s);
    EXPECT_EQ(kept.reported(302, 318, t0 + 2s + 5ms), PlaceReport::PutBack);

    // Wine's stale places come later: its guard is longer, and runs only from a show.
    KeptPlace longer(1500ms);
    longer.placed(200, 100);
    EXPECT_EQ(longer.reported(0, 0, t0 + 1ms), PlaceReport::Adopted) << "never shown";
    longer.placed(200, 100);
    longer.shown(t0 + 1s);
    EXPECT_EQ(longer.reported(0, 0, t0 + 1s + 1499ms), PlaceReport::PutBack);
    EXPECT_EQ(longer.reported(0, 0, t0 + 1s + 1500ms), PlaceReport::Adopted);
}
