#include "menu/form2.h"
#include "sim_fixture.h"

using namespace ruvia;
using ruvia::testing::SimDesktopTest;

namespace {

using Screens = std::vector<platform::PixelRect>;
// LEFT 800 x 600 at (0, 0) and RIGHT 1024 x 768 beside it, on an 1824 x 768 desktop.
const Screens kLeftAndRight{{0, 0, 800, 600}, {800, 0, 1024, 768}};

class AroundHer : public SimDesktopTest {
protected:
    AroundHer() : SimDesktopTest(kLeftAndRight, 1824, 768) {}

    // Drags her by the pin so that the window's top-left lands at `to`, and lets her rest.
    void dragTo(platform::PixelPoint to) {
        const auto g = program->window().geometry();
        desktop.drag({g.x + 60, g.y + 6}, {to.x + 60, to.y + 6}, platform::MouseButton::Left);
        desktop.advance(50 * 200);
    }
    platform::PixelPoint place() {
        const auto g = program->window().geometry();
        return {g.x, g.y};
    }
};

TEST_F(AroundHer, ScreensThatChangeHoldHerInsideAndDrawHerAnewOnlyWhenMoved) {
    struct Case {
        const char* name;
        platform::PixelPoint restingAt;
        Screens after;
        platform::PixelPoint held;
    };
    const Case cases[] = {
        {"the right monitor goes", {1200, 400}, {{0, 0, 800, 600}}, {693, 400}},
        {"the right monitor goes, she was low on it", {1000, 600}, {{0, 0, 800, 600}}, {693, 450}},
        {"a resolution change shrinks the screen she is on", {1700, 610},
         {{0, 0, 800, 600}, {800, 0, 800, 600}}, {1493, 450}},
        {"the right monitor moves down", {1200, 100}, {{0, 0, 800, 600}, {800, 168, 1024, 600}},
         {1200, 168}},
        {"nothing to do: she is still wholly on a screen", {300, 200},
         {{0, 0, 800, 600}, {800, 0, 800, 600}}, {300, 200}},
    };
    for (const Case& c : cases) {
        desktop.changeScreens(kLeftAndRight);
        program.reset();
        auto& p = start();
        dragTo(c.restingAt);
        ASSERT_EQ(place(), c.restingAt) << c.name;
        const int captures = p.window().captures;
        const double angle = p.form.Angle;

        desktop.changeScreens(c.after);
        desktop.advance(50);

        EXPECT_EQ(place(), c.held) << c.name;
        const bool moved = c.held != c.restingAt;
        EXPECT_EQ(p.window().captures, captures + (moved ? 1 : 0)) << c.name;
        EXPECT_EQ(p.form.PicTemp, wallpaperBehind(p.window().geometry())) << c.name;
        // Drawn where she rests, no swing started.
        EXPECT_EQ(std::tuple(p.form.Angle, p.form.Timer1->interval()), std::tuple(angle, 0))
            << c.name;
    }
}

TEST_F(AroundHer, TheOpenMenuComesBackOnAScreenToo) {
    auto& p = start();
    dragTo({1600, 300});
    const auto g = p.window().geometry();
    desktop.click({g.x + 60, g.y + 6}, platform::MouseButton::Right);
    ASSERT_TRUE(p.form.form2() && p.form.form2()->window()->isVisible());
    ASSERT_GT(p.form.form2()->window()->geometry().x, 800);

    desktop.changeScreens({{0, 0, 800, 600}});
    desktop.advance(50);

    const auto menu = p.form.form2()->window()->geometry();
    EXPECT_GE(menu.x, 0);
    EXPECT_LE(menu.x + menu.width, 800);
    EXPECT_LE(menu.y + menu.height, 600);
    EXPECT_EQ(place(), (platform::PixelPoint{693, 300}));
}

TEST_F(AroundHer, AnOrderlyEndSavesHerPlaceOnlyForTheCopyThatRuns) {
    auto& p = start();
    dragTo({500, 300});
    p.toolkit.events.endAsked();
    EXPECT_TRUE(p.toolkit.ended());
    EXPECT_EQ(p.toolkit.exitCode(), 0);
    EXPECT_EQ(ruvia::testing::readFile(settings), "7500,4500\r\n");
    EXPECT_TRUE(desktop.messageBoxes.empty());

    // Asked again while ending (a second signal): nothing more happens.
    p.toolkit.events.endAsked();
    EXPECT_EQ(std::count(desktop.log.begin(), desktop.log.end(), "end"), 1);

    // A second copy that refused to start ends without touching the file.
    ruvia::testing::writeFile(settings, "15,15\r\n");
    desktop.instanceHeld = true;
    ruvia::testing::SimProgram second(desktop, settings);
    second.form.Form_Load();
    second.toolkit.events.endAsked();
    EXPECT_TRUE(second.toolkit.ended());
    EXPECT_EQ(ruvia::testing::readFile(settings), "15,15\r\n");
}

TEST_F(AroundHer, AnOrderlyEndThatCannotSaveSaysSoInOneLineAndFails) {
    settings = dir / "gone" / "pdl_swg.ini";
    auto& p = start();
    dragTo({500, 300});
    p.toolkit.events.endAsked();
    EXPECT_TRUE(p.toolkit.ended());
    EXPECT_EQ(p.toolkit.exitCode(), 1);
    ASSERT_EQ(p.toolkit.errorLines.size(), 1u);
    EXPECT_NE(p.toolkit.errorLines[0].find(settings.string()), std::string::npos)
        << p.toolkit.errorLines[0];
    EXPECT_EQ(p.toolkit.errorLines[0].find('\n'), std::string::npos);
    EXPECT_TRUE(desktop.messageBoxes.empty()) << "nobody is there to close it";
    EXPECT_FALSE(std::filesystem::exists(settings));
}

TEST_F(AroundHer, AnEndAskedForDuringADragWaitsForTheDropAndKeepsItsPlace) {
    auto& p = start();
    p.window().duringMoveLoop = [&] { p.toolkit.events.endAsked(); };
    dragTo({500, 300});
    EXPECT_TRUE(p.toolkit.ended());
    EXPECT_EQ(ruvia::testing::readFile(settings), "7500,4500\r\n");
}

}  // namespace
