#include "assets/art.h"
#include "core/line_raster.h"
#include "core/raster_ops.h"
#include "sim_fixture.h"

#include <algorithm>

using namespace ruvia;
using ruvia::testing::SimDesktopTest;

namespace {

bool inside(int x, int y, platform::PixelRect r) {
    return x >= r.x && y >= r.y && x < r.x + r.width && y < r.y + r.height;
}

std::vector<std::string> captureSteps(const std::vector<std::string>& log, size_t from) {
    std::vector<std::string> steps;
    for (size_t i = from; i < log.size(); ++i)
        if (log[i] == "hide" || log[i] == "doEvents" || log[i] == "read" || log[i] == "show")
            steps.push_back(log[i]);
    return steps;
}

}  // namespace

class Scene : public SimDesktopTest {
protected:
    void tick(int n = 1) { desktop.advance(50 * n); }

    // Every scene pixel outside the character, the pin and the string is the background.
    void expectBackgroundOutside(const mascot::Form1& f, platform::PixelRect character) {
        const core::Image behind = wallpaperBehind(program->window().geometry());
        const platform::PixelRect pin{f.PinX, f.PinY, 16, 16};
        const platform::PixelRect string{std::min<int>(f.Line1.X1, f.Line1.X2) - 1, 0,
                                         static_cast<int>(std::abs(f.Line1.X2 - f.Line1.X1)) + 4,
                                         static_cast<int>(f.Line1.Y2) + 2};
        const core::Image& shown = program->window().shownFrame();
        int mismatches = 0;
        for (int y = 0; y < shown.height; ++y)
            for (int x = 0; x < shown.width; ++x)
                if (!inside(x, y, character) && !inside(x, y, pin) && !inside(x, y, string) &&
                    shown.at(x, y) != behind.at(x, y))
                    ++mismatches;
        EXPECT_EQ(mismatches, 0);
    }

    // Where a mask is black the scene shows the sprite; where white, the background.
    void expectSprite(const core::Image& scene, int x0, int y0, int maskFrame, int spriteFrame) {
        const core::Image& mask = assets::imageListFrame(maskFrame);
        const core::Image& sprite = assets::imageListFrame(spriteFrame);
        const core::Image behind = wallpaperBehind(program->window().geometry());
        for (int y = 0; y < mask.height; ++y)
            for (int x = 0; x < mask.width; ++x) {
                if (!scene.contains(x0 + x, y0 + y)) continue;
                const uint32_t want = mask.at(x, y) == core::kMaskSolid ? sprite.at(x, y)
                                                                    : behind.at(x0 + x, y0 + y);
                ASSERT_EQ(scene.at(x0 + x, y0 + y), want) << x << "," << y;
            }
    }
};

TEST_F(Scene, FirstTickDrawsCharacterPinAndStringOverTheBackground) {
    auto& p = start();
    tick();
    const mascot::Form1& f = p.form;
    expectSprite(f.PicMain, 46, 94, 2, 1);
    expectSprite(f.PicMain, 54, 0, 8, 7);
    EXPECT_EQ(std::tuple(f.Line1.X2, f.Line1.Y2), std::tuple(60.0f, 94.0f));
    expectBackgroundOutside(f, {46, 94, 32, 56});
    // The string is drawn over the scene in its colour.
    EXPECT_EQ(p.window().shownFrame().at(60, 50), 0xFFB46400u);
}

TEST_F(Scene, TheSwingComesToRestAfter79TicksAndStopsTheTimer) {
    auto& p = start();
    int ticks = 0;
    auto previous = p.form.Timer1->onTick;
    p.form.Timer1->onTick = [&] { ++ticks; previous(); };
    tick(200);
    EXPECT_EQ(ticks, 79);
    EXPECT_EQ(p.form.Timer1->interval(), 0);
    EXPECT_EQ(std::tuple(p.form.Angle, p.form.Amplitude, p.form.SwingPlus), std::tuple(0.0, 0, core::kTrue));
    expectSprite(p.form.PicMain, 46, 94, 2, 1);
    EXPECT_EQ(p.window().captures, 3) << "ticks never read the screen";

    // A click on the scene, away from the pin, sets it going again from where it is.
    desktop.click({639 + 10, 66 + 100}, platform::MouseButton::Left);
    EXPECT_EQ(std::tuple(p.form.Amplitude, p.form.Timer1->interval()), std::tuple(20, 50));
    ticks = 0;
    tick(200);
    EXPECT_EQ(ticks, 79);
}

TEST_F(Scene, ARightClickOnTheSceneDoesNotRestartTheSwing) {
    auto& p = start();
    tick(100);
    desktop.click({639 + 10, 66 + 100}, platform::MouseButton::Right);
    EXPECT_EQ(p.form.Amplitude, 0);
    EXPECT_EQ(p.form.Timer1->interval(), 0);
}

TEST_F(Scene, ACaptureHidesYieldsReadsShowsAndYieldsInThatOrder) {
    auto& p = start();
    const size_t from = desktop.log.size();
    p.form.Form_Paint();
    EXPECT_EQ(captureSteps(desktop.log, from),
              (std::vector<std::string>{"hide", "doEvents", "read", "show", "doEvents"}));
}

TEST_F(Scene, OnACompositedDesktopSheIsSeeThroughUntilTheCompositorStops) {
    program = std::make_unique<ruvia::testing::SimProgram>(desktop, settings);
    auto& p = *program;
    p.window().presentation = platform::Presentation::SeeThrough;
    p.form.Form_Load();
    tick();
    // Shown without ever hiding, and nothing read.
    EXPECT_EQ(std::count(desktop.log.begin(), desktop.log.end(), "hide"), 0);
    EXPECT_EQ(p.window().captures, 0);
    ASSERT_TRUE(p.window().isVisible());
    // The sprites on a transparent scene; through the rest the desktop shows.
    const mascot::Form1& f = p.form;
    const auto spriteOnNothing = [&](int x0, int y0, int maskFrame, int spriteFrame) {
        const core::Image& mask = assets::imageListFrame(maskFrame);
        const core::Image& sprite = assets::imageListFrame(spriteFrame);
        int wrong = 0;
        for (int y = 0; y < mask.height; ++y)
            for (int x = 0; x < mask.width; ++x)
                wrong += f.PicMain.at(x0 + x, y0 + y) !=
                         (mask.at(x, y) == core::kMaskSolid ? sprite.at(x, y) : core::kTransparent);
        return wrong;
    };
    EXPECT_EQ(spriteOnNothing(46, 94, 2, 1), 0);
    EXPECT_EQ(spriteOnNothing(f.PinX, f.PinY, 8, 7), 0);
    EXPECT_EQ(p.window().shownFrame().at(60, 50), 0xFFB46400u);
    const platform::PixelRect at = p.window().geometry();
    const core::Image screen = screenRegion(at, desktop.screenshot());
    const core::Image behind = wallpaperBehind(at);
    int hidden = 0;
    for (int y = 0; y < screen.height; ++y)
        for (int x = 0; x < screen.width; ++x)
            hidden += screen.at(x, y) != behind.at(x, y) && !inside(x, y, {46, 94, 32, 56}) &&
                      !inside(x, y, {f.PinX, f.PinY, 16, 16}) && !inside(x, y, {59, 12, 4, 84});
    EXPECT_EQ(hidden, 0);

    // The compositor stops: the next capture reads the screen again, and the scene is
    // opaque over the copy.
    p.window().presentation = platform::Presentation::Captured;
    const size_t from = desktop.log.size();
    desktop.expose(p.window());
    tick();
    EXPECT_EQ(captureSteps(desktop.log, from),
              (std::vector<std::string>{"hide", "doEvents", "read", "show", "doEvents"}));
    expectBackgroundOutside(f, {f.CharX, f.CharY, 32, 56});
}

TEST_F(Scene, ARepaintRequestCapturesOnceAndTheShowAfterItDoesNotCaptureAgain) {
    auto& p = start();
    tick(100);
    const int before = p.window().captures;
    desktop.expose(p.window());
    tick(20);
    EXPECT_EQ(p.window().captures, before + 1);
    // At rest no tick follows: the repaint itself shows her, the pin and the string.
    const mascot::Form1& f = p.form;
    expectSprite(f.PicMain, 54, 0, 8, 7);
    expectSprite(f.PicMain, 46, 94, 2, 1);
    EXPECT_EQ(std::tuple(f.Line1.X2, f.Line1.Y2), std::tuple(60.0f, 94.0f));
    EXPECT_EQ(p.window().shownFrame().at(60, 50), 0xFFB46400u);
    expectBackgroundOutside(f, {46, 94, 32, 56});
}

TEST_F(Scene, ARepaintMidSwingShowsHerWhereSheIsInHerPose) {
    auto& p = start();
    tick(3);  // swung out: a tilted pose, off the vertical
    mascot::Form1& f = p.form;
    const int x = f.CharX, y = f.CharY;
    ASSERT_NE(x, 46);
    p.form.Timer1->setInterval(0);  // no tick may hide a missing redraw
    desktop.expose(p.window());
    const core::Image& shown = p.window().shownFrame();
    int pose = -1;
    for (int candidate = 1; candidate <= 2 && pose < 0; ++candidate) {
        const core::Image& mask = assets::imageListFrame(2 * candidate + 2);
        const core::Image& sprite = assets::imageListFrame(2 * candidate + 1);
        bool all = true;
        for (int j = 0; j < mask.height && all; ++j)
            for (int i = 0; i < mask.width && all; ++i)
                if (mask.at(i, j) == core::kMaskSolid && shown.contains(x + i, y + j))
                    all = shown.at(x + i, y + j) == sprite.at(i, j);
        if (all) pose = candidate;
    }
    EXPECT_GT(pose, 0) << "she is not shown in a swung pose at " << x << "," << y;
    EXPECT_EQ(std::tuple(f.Line1.X2, f.Line1.Y2), std::tuple(x + 14.0f, float(y)));
}

// Where pin and character overlap, the tick draws the pin on top and the drag's redraw
// (and a repaint) draws her on top.
TEST_F(Scene, TheTickDrawsThePinOverHerTheRedrawsDrawHerOverThePin) {
    auto& p = start();
    mascot::Form1& f = p.form;
    const auto opaqueOnTop = [&](int x0, int y0, int maskFrame, int spriteFrame) {
        const core::Image& mask = assets::imageListFrame(maskFrame);
        const core::Image& sprite = assets::imageListFrame(spriteFrame);
        const core::Image& shown = f.PicMain;  // the string is not drawn into it
        for (int y = 0; y < mask.height; ++y)
            for (int x = 0; x < mask.width; ++x)
                if (mask.at(x, y) == core::kMaskSolid && shown.contains(x0 + x, y0 + y) &&
                    shown.at(x0 + x, y0 + y) != sprite.at(x, y))
                    return false;
        return true;
    };
    f.RopeLen = 0;  // she hangs right at the pin
    tick();
    ASSERT_LT(std::abs(f.CharY - f.PinY), 16);
    EXPECT_TRUE(opaqueOnTop(f.PinX, f.PinY, 8, 7)) << "tick";

    const auto g = p.window().geometry();
    desktop.drag({g.x + 60, g.y + 6}, {g.x + 60, g.y + 6}, platform::MouseButton::Left);
    EXPECT_TRUE(opaqueOnTop(f.CharX, f.CharY, 2, 1)) << "drag";
    EXPECT_FALSE(opaqueOnTop(f.PinX, f.PinY, 8, 7)) << "drag";

    f.Timer1->setInterval(0);
    desktop.expose(p.window());
    EXPECT_TRUE(opaqueOnTop(f.CharX, f.CharY, 2, 1)) << "repaint";
}

TEST_F(Scene, ATickDuringACaptureDrawsIntoTheHiddenSceneWithoutDisturbingTheCopy) {
    auto& p = start();
    desktop.doEventsLatency = 60;  // the window system is slow: ticks fall inside captures
    const int before = p.window().captures;
    p.form.Form_Paint();
    EXPECT_EQ(p.window().captures, before + 1);
    EXPECT_EQ(p.form.PicTemp, wallpaperBehind(p.window().geometry()));
    EXPECT_EQ(std::count(desktop.log.begin(), desktop.log.end(), "read while visible"), 0);
}

TEST_F(Scene, AnotherWindowCapturedBeneathStaysInTheSceneUntilTheNextCapture) {
    auto& p = start();
    sim::SimMascotWindow other(desktop);  // any opaque window will do
    other.move(600, 100);
    other.resize(100, 40);
    other.present(core::Image(100, 40, core::rgb(0x33, 0x66, 0x99)));
    other.show();
    p.form.Form_Paint();
    EXPECT_EQ(p.form.PicTemp.at(0, 40), core::rgb(0x33, 0x66, 0x99));
    other.hide();
    tick();
    EXPECT_EQ(p.window().shownFrame().at(0, 40), core::rgb(0x33, 0x66, 0x99));
}

TEST_F(Scene, AScreenThatCannotBeReadKeepsTheLastBackground) {
    auto& p = start();
    const core::Image before = p.form.PicTemp;
    p.window().screenReadable = false;
    p.form.Form_Paint();
    EXPECT_EQ(p.form.PicTemp, before);
    EXPECT_EQ(p.form.ApiResult, 1) << "the copy after the failed read still succeeds";
}

TEST_F(Scene, SpritesClipAtTheScenesEdgesAndUnknownPosesDrawNothing) {
    auto& p = start();
    mascot::Form1& f = p.form;
    struct Case {
        int x, y, pose;
    };
    for (const Case c : {Case{-20, -30, 0}, Case{90, 120, 1}, Case{-10, 100, 2}, Case{80, -50, 1}}) {
        f.SetCap();
        f.setRuvia(c.x, c.y, c.pose);
        expectSprite(f.PicMain, c.x, c.y, 2 * c.pose + 2, 2 * c.pose + 1);
    }
    for (int pose : {3, -1}) {
        f.SetCap();
        f.setRuvia(46, 94, pose);
        EXPECT_EQ(f.PicMain, f.PicTemp) << pose;
    }
}

TEST_F(Scene, ATickClearsWhatASmallerCaptureDoesNotCover) {
    auto& p = start();
    mascot::Form1& f = p.form;
    const uint32_t cleared = p.toolkit.resolveColor(platform::kWindowBackground);
    const core::Image behind = wallpaperBehind(p.window().geometry());
    f.PicTemp = core::Image(f.PicMain.width - 5, f.PicMain.height - 3);
    core::bitBlt(f.PicTemp, 0, 0, f.PicTemp.width, f.PicTemp.height, behind, 0, 0,
                 core::RasterOp::SrcCopy);
    f.PicMain.fill(0x010203);  // what the last frame left
    tick();
    for (int y = 0; y < f.PicMain.height; ++y)
        for (int x = 0; x < f.PicMain.width; ++x)
            if ((x >= f.PicTemp.width || y >= f.PicTemp.height) &&
                !inside(x, y, {f.CharX, f.CharY, 32, 56})) {
                ASSERT_EQ(f.PicMain.at(x, y), cleared) << x << "," << y;
            }
    EXPECT_EQ(f.PicMain.at(0, f.PicTemp.height - 1), behind.at(0, f.PicTemp.height - 1));
}

// A 4K screen at 200 %: the capture is kept in device pixels and every frame is laid over
// it, so the background is exact in each device pixel and the art is drawn in 2 x 2 blocks.
class SceneAtTwiceTheDensity : public SimDesktopTest {
protected:
    SceneAtTwiceTheDensity() {
        desktop = sim::SimDesktop({{0, 0, 1024, 768}}, ruvia::testing::patternedWallpaper(2048, 1536),
                                  15.0, 2);
    }
};

TEST_F(SceneAtTwiceTheDensity, TheBackgroundIsTheScreensOwnPixelsAndTheArtComesInBlocks) {
    auto& p = start();
    desktop.advance(50 * 200);  // at rest
    const platform::PixelRect g = p.window().geometry();
    const core::Image& shown = p.window().shownFrame();
    ASSERT_EQ(std::pair(shown.width, shown.height), std::pair(2 * g.width, 2 * g.height));
    EXPECT_EQ(p.form.PicTemp, core::Image(g.width, g.height, core::kTransparent))
        << "the scene's own background stays clear";
    const core::Image wallpaper = ruvia::testing::patternedWallpaper(2048, 1536);
    const platform::PixelRect pin{p.form.PinX, p.form.PinY, 16, 16};
    const core::PixelBounds s =
        core::thickLineBounds(p.form.Line1.X1, p.form.Line1.Y1, p.form.Line1.X2, p.form.Line1.Y2);
    const platform::PixelRect string{s.x, s.y, s.width, s.height};  // drawn only for the screen
    int background = 0, art = 0;
    for (int y = 0; y < shown.height; ++y)
        for (int x = 0; x < shown.width; ++x) {
            const uint32_t scene = p.form.PicMain.at(x / 2, y / 2);
            if (inside(x / 2, y / 2, string)) continue;
            if (!core::isOpaque(scene)) {
                ASSERT_EQ(shown.at(x, y), wallpaper.at(2 * g.x + x, 2 * g.y + y)) << x << "," << y;
                ++background;
            } else if (inside(x / 2, y / 2, pin)) {
                ASSERT_EQ(shown.at(x, y), scene) << x << "," << y;
                ++art;
            }
        }
    EXPECT_GT(background, shown.width * shown.height / 2);
    EXPECT_GT(art, 4 * 50) << "the pin, every pixel a block";
    // And the screen shows it where the window is.
    const core::Image screen = desktop.screenshot();
    EXPECT_EQ(screenRegion({2 * g.x, 2 * g.y, shown.width, shown.height}, screen), shown);
}
