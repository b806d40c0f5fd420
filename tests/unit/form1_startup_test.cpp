#include "sim_fixture.h"

#include <algorithm>

using namespace ruvia;
using ruvia::testing::SimDesktopTest;
using ruvia::testing::writeFile;
using ruvia::testing::readFile;

namespace {

int count(const std::vector<std::string>& log, const std::string& entry) {
    return static_cast<int>(std::count(log.begin(), log.end(), entry));
}

}  // namespace

class Startup : public SimDesktopTest {};

TEST_F(Startup, LaysTheWindowOutAtItsDesignPlaceAndStartsTheTick) {
    auto& p = start();
    EXPECT_EQ(p.window().geometry(), (platform::PixelRect{639, 66, 107, 150}));
    EXPECT_TRUE(p.window().isVisible());
    const mascot::Form1& f = p.form;
    EXPECT_DOUBLE_EQ(f.RopeLen, 94.0);
    EXPECT_EQ(std::tuple(f.PinX, f.PinY, f.CharX, f.CharY), std::tuple(54, 0, 46, 94));
    EXPECT_EQ(std::tuple(f.Line1.X1, f.Line1.Y1), std::tuple(60.0f, 12.0f));
    EXPECT_EQ(std::tuple(f.ImgPin1.Left, f.ImgPin1.Top), std::tuple(54, 0));
    EXPECT_EQ(std::tuple(f.Angle, f.Amplitude, f.SwingPlus), std::tuple(0.0, 20, core::kTrue));
    EXPECT_EQ(f.Timer1->interval(), 50);
    EXPECT_EQ(f.Line1.BorderColor, 0x0064B4u);
    EXPECT_EQ(f.Width(), 1605.0f);
    EXPECT_FALSE(p.toolkit.ended());
    EXPECT_TRUE(desktop.messageBoxes.empty());
}

TEST_F(Startup, TheLayoutRunsNestedOnceAndTheLoadCapturesAgain) {
    auto& p = start();
    // The outer layout pass changes the width, which raises the nested pass; each pass
    // captures, then the load itself captures once more.
    EXPECT_EQ(count(desktop.log, "resize"), 1);
    EXPECT_EQ(p.window().captures, 3);
    EXPECT_EQ(count(desktop.log, "read while visible"), 0);
}

TEST_F(Startup, TheLoadShowsTheBackgroundWithoutPinOrCharacterUntilTheFirstTick) {
    auto& p = start();
    const auto behind = wallpaperBehind(p.window().geometry());
    EXPECT_EQ(p.form.PicMain, behind);  // the second SetCap covers the pin
    EXPECT_EQ(p.form.PicTemp, behind);
}

TEST_F(Startup, RestoresTheSavedPositionHeldInsideTheScreen) {
    struct Case {
        const char* file;
        platform::PixelPoint expected;
    };
    const Case cases[] = {
        {"1200,3450\r\n", {80, 230}},
        {"0,3450\r\n", {0, 230}},        // a window left at the left edge comes back there
        {"-150,3450\r\n", {0, 230}},     // partly off the left edge: pulled back
        {"1200,-300\r\n", {80, 0}},      // partly above the screen: pulled back
        {"90000,90000\r\n", {917, 618}}, // saved on a screen that is gone
        {"1200\r\n", {639, 66}},         // one field only: design position
        {"abc,def\r\n", {639, 66}},
        {"\x89PNG\r\n\x1a\n", {639, 66}},
        {"1200.4,3450.6\r\n", {80, 230}},  // fractions round
        {"\xEF\xBB\xBF" "1200,3450\r\n", {80, 230}},  // edited in Notepad
    };
    for (const Case& c : cases) {
        writeFile(settings, c.file);
        sim::SimToolkit toolkit(desktop);
        mascot::Form1 form(toolkit, settings);
        form.Form_Load();
        const auto g = toolkit.mascotWindow()->geometry();
        EXPECT_EQ((platform::PixelPoint{g.x, g.y}), c.expected) << c.file;
        // Held before the capture: the scene shows what is behind the window's final place.
        EXPECT_EQ(form.PicTemp, wallpaperBehind(g)) << c.file;
        EXPECT_EQ(readFile(settings), c.file) << "the load never writes";
    }
}

TEST_F(Startup, ASettingsFileThatIsADirectoryOrMissingChangesNothing) {
    std::filesystem::create_directory(settings);
    auto& p = start();
    EXPECT_EQ(p.window().geometry().x, 639);
    std::filesystem::remove(settings);
    sim::SimToolkit toolkit(desktop);
    desktop.instanceHeld = false;
    mascot::Form1 form(toolkit, dir / "missing" / "pdl_swg.ini");
    form.Form_Load();
    EXPECT_EQ(toolkit.mascotWindow()->geometry().y, 66);
}

TEST_F(Startup, ASecondCopyShowsItsMessageAndEndsWithoutTouchingAnything) {
    auto& first = start();
    const auto firstPlace = first.window().geometry();
    writeFile(settings, "1200,3450\r\n");
    const size_t logBefore = desktop.log.size();

    sim::SimToolkit toolkit(desktop);
    mascot::Form1 second(toolkit, settings);
    second.Form_Load();

    ASSERT_EQ(desktop.messageBoxes.size(), 1u);
    EXPECT_EQ(desktop.messageBoxes[0].text, "二人もいないの・・・");
    EXPECT_EQ(desktop.messageBoxes[0].title, "RuviaMascot");
    EXPECT_TRUE(toolkit.ended());
    EXPECT_FALSE(toolkit.mascotWindow()->isVisible());
    EXPECT_EQ(toolkit.mascotWindow()->geometry().x, 639) << "the saved position is not read";
    EXPECT_EQ(second.Timer1->interval(), 0);
    EXPECT_EQ(readFile(settings), "1200,3450\r\n");
    const std::vector<std::string> after(desktop.log.begin() + static_cast<long>(logBefore), desktop.log.end());
    EXPECT_EQ(after, (std::vector<std::string>{"end"}));
    EXPECT_EQ(first.window().geometry(), firstPlace);
    EXPECT_FALSE(first.toolkit.ended());
}

TEST_F(Startup, AStartAfterTheFirstCopyEndedIsNotRefused) {
    start();
    program.reset();
    start();
    EXPECT_TRUE(desktop.messageBoxes.empty());
    EXPECT_FALSE(program->toolkit.ended());
}

class StartupAt12Twips : public SimDesktopTest {
protected:
    StartupAt12Twips() {
        desktop = sim::SimDesktop({{0, 0, 1280, 1024}}, ruvia::testing::patternedWallpaper(1280, 1024), 12.0);
    }
};

TEST_F(StartupAt12Twips, TheDesignHeightMakes188PixelsAndARopeOf132) {
    auto& p = start();
    EXPECT_EQ(p.window().geometry(), (platform::PixelRect{799, 83, 121, 188}));
    EXPECT_DOUBLE_EQ(p.form.RopeLen, 132.0);
    EXPECT_EQ(std::tuple(p.form.PinX, p.form.CharX, p.form.CharY), std::tuple(60, 52, 132));
}
