#include "assets/art.h"
#include "sim_fixture.h"

#include <algorithm>

using namespace ruvia;
using ruvia::testing::SimDesktopTest;

namespace {
// The pin's target is at (54, 0) of the scene; press in its middle.
constexpr platform::PixelPoint kPinInScene{60, 6};
}  // namespace

class PinDrag : public SimDesktopTest {
protected:
    PinDrag() = default;
    explicit PinDrag(std::vector<platform::PixelRect> screens, int w, int h)
        : SimDesktopTest(std::move(screens), w, h) {}

    platform::PixelPoint pinOnScreen() {
        const auto g = program->window().geometry();
        return {g.x + kPinInScene.x, g.y + kPinInScene.y};
    }
    platform::PixelPoint dragPinBy(int dx, int dy, platform::MouseButton b = platform::MouseButton::Left) {
        const auto from = pinOnScreen();
        desktop.drag(from, {from.x + dx, from.y + dy}, b);
        const auto g = program->window().geometry();
        return {g.x, g.y};
    }
};

TEST_F(PinDrag, MovesTheWindowRecapturesAndRestartsTheSwing) {
    auto& p = start();
    desktop.advance(50 * 7);  // mid-swing, on the way back from 20 degrees
    const auto frozen = std::tuple(p.form.Angle, p.form.SwingPlus, p.form.CharX, p.form.CharY);
    const int captures = p.window().captures;

    EXPECT_EQ(dragPinBy(-300, 200), (platform::PixelPoint{339, 266}));
    EXPECT_EQ(p.window().captures, captures + 1);
    EXPECT_EQ(p.form.PicTemp, wallpaperBehind(p.window().geometry()));
    EXPECT_EQ(std::tuple(p.form.Angle, p.form.SwingPlus, p.form.CharX, p.form.CharY), frozen);
    EXPECT_EQ(std::tuple(p.form.Amplitude, p.form.Timer1->interval()), std::tuple(20, 50));
    // The first frame after the drop shows her hanging straight where she was.
    const core::Image& mask = assets::imageListFrame(2);
    const core::Image& sprite = assets::imageListFrame(1);
    const auto [x0, y0] = std::pair(std::get<2>(frozen), std::get<3>(frozen));
    for (int y = 0; y < mask.height; ++y)
        for (int x = 0; x < mask.width; ++x)
            if (p.form.PicMain.contains(x0 + x, y0 + y)) {
                ASSERT_EQ(p.form.PicMain.at(x0 + x, y0 + y),
                          mask.at(x, y) == core::kMaskSolid ? sprite.at(x, y)
                                                        : p.form.PicTemp.at(x0 + x, y0 + y))
                    << x << "," << y;
            }
}

TEST_F(PinDrag, TheMiddleButtonDragsLikeTheLeftWithTheSwingFrozen) {
    auto& p = start();
    desktop.advance(50 * 3);
    int intervalDuringMove = -1;
    double angleDuringMove = 0.0;
    p.window().duringMoveLoop = [&] {
        intervalDuringMove = p.form.Timer1->interval();
        angleDuringMove = p.form.Angle;
    };
    const double angleBefore = p.form.Angle;
    const auto from = pinOnScreen();
    desktop.drag(from, {from.x + 5, from.y}, platform::MouseButton::Middle);
    EXPECT_EQ(intervalDuringMove, 0);
    EXPECT_EQ(angleDuringMove, angleBefore);
    EXPECT_EQ(p.window().geometry().x, 644);
    EXPECT_EQ(p.form.Timer1->interval(), 50);
}

TEST_F(PinDrag, AClickWithoutMovingStillRecapturesAndRestarts) {
    auto& p = start();
    desktop.advance(50 * 200);
    ASSERT_EQ(p.form.Timer1->interval(), 0);
    const int captures = p.window().captures;
    EXPECT_EQ(dragPinBy(0, 0), (platform::PixelPoint{639, 66}));
    EXPECT_EQ(p.window().captures, captures + 1);
    EXPECT_EQ(std::tuple(p.form.Amplitude, p.form.Timer1->interval()), std::tuple(20, 50));
}

TEST_F(PinDrag, DropsPastAnEdgeAreHeldInsideTheScreen) {
    struct Case {
        const char* name;
        int dx, dy;
        platform::PixelPoint held;
    };
    const Case cases[] = {
        {"above", 0, -200, {639, 0}},
        {"left", -900, 0, {0, 66}},
        {"below", 0, 900, {639, 618}},
        {"right", 600, 0, {917, 66}},
        {"exactly on the bottom edge", 0, 552, {639, 618}},
        {"top left corner", -2000, -2000, {0, 0}},
    };
    for (const Case& c : cases) {
        program.reset();
        start();
        EXPECT_EQ(dragPinBy(c.dx, c.dy), c.held) << c.name;
    }
}

class PinDragTwoScreens : public PinDrag {
protected:
    // LEFT 800 x 600 at (0, 0), RIGHT 1024 x 768 at (800, 0).
    PinDragTwoScreens() : PinDrag({{0, 0, 800, 600}, {800, 0, 1024, 768}}, 1824, 768) {}
};

TEST_F(PinDragTwoScreens, AMascotCanLiveOnTheSecondScreen) {
    start();
    EXPECT_EQ(dragPinBy(700, 500), (platform::PixelPoint{1339, 566}));
    EXPECT_EQ(dragPinBy(600, 0), (platform::PixelPoint{1717, 566})) << "held at RIGHT's edge";
    EXPECT_EQ(dragPinBy(-1000, -300), (platform::PixelPoint{693, 266}))
        << "mostly on LEFT: held inside LEFT";
    EXPECT_EQ(dragPinBy(0, 300), (platform::PixelPoint{693, 450})) << "above LEFT's lower edge";
}

class PinDragTallWindow : public PinDrag {
protected:
    PinDragTallWindow() : PinDrag({{0, 0, 100, 120}}, 100, 120) {}
};

TEST_F(PinDragTallWindow, AWindowLargerThanTheScreenEndsFlushWithItsBottomAndRight) {
    start();
    EXPECT_EQ(dragPinBy(0, 0), (platform::PixelPoint{-7, -30}));
}
