#include "menu/form2.h"
#include "menu/set_top_most.h"
#include "platform/sim/sim_menu_window.h"
#include "sim_fixture.h"

#include <csignal>
#include <sys/resource.h>

using namespace ruvia;
using ruvia::testing::SimDesktopTest;
using ruvia::testing::readFile;

namespace {
constexpr platform::PixelPoint kPinInScene{60, 6};
constexpr auto kLeft = platform::MouseButton::Left;
constexpr auto kRight = platform::MouseButton::Right;
constexpr auto kMiddle = platform::MouseButton::Middle;

// Writes past `bytes` fail with EFBIG while it lives.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) : oldSignal_(std::signal(SIGXFSZ, SIG_IGN)) {
        getrlimit(RLIMIT_FSIZE, &old_);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldSignal_);
    }

private:
    rlimit old_{};
    void (*oldSignal_)(int);
};
}  // namespace

class Menu : public SimDesktopTest {
protected:
    sim::SimMenuWindow& openMenu() {
        const auto g = program->window().geometry();
        desktop.click({g.x + kPinInScene.x, g.y + kPinInScene.y}, kRight);
        return *program->toolkit.menuWindow();
    }
    menu::Form2& form2() { return *program->form.form2(); }
    void press(sim::SimMenuWindow& m, platform::LabelId id, platform::MouseButton b) {
        desktop.click(m.labelCentre(id), b);
    }
    void hover(sim::SimMenuWindow& m, platform::LabelId id) { desktop.moveMouse(m.labelCentre(id)); }
};

TEST_F(Menu, ARightClickOnThePinOpensTheMenuCentredOverTheMascotAndTheSwingGoesOn) {
    auto& p = start();
    desktop.advance(50 * 3);
    const auto before = p.window().geometry();
    const int captures = p.window().captures;
    auto& m = openMenu();
    EXPECT_TRUE(m.isVisible());
    EXPECT_EQ(m.geometry(), (platform::PixelRect{639 + (107 - 210) / 2, 66 + (150 - 122) / 2, 210, 122}));
    EXPECT_EQ(m.labels[static_cast<size_t>(form2().Label1)].caption, " 常に手前に表示");
    EXPECT_EQ(m.labels[static_cast<size_t>(form2().Label2)].caption, " 終了");
    EXPECT_EQ(p.window().geometry(), before);
    EXPECT_EQ(p.window().captures, captures) << "the mascot is neither moved nor recaptured";
    EXPECT_EQ(p.form.Timer1->interval(), 50);
    EXPECT_EQ(p.form.Amplitude, 20);
}

TEST_F(Menu, TheItemUnderThePointerIsHighlightedAndMovesWithinItRepaintNothing) {
    start();
    auto& m = openMenu();
    auto& f = form2();
    const auto colours = [&](platform::LabelId id) {
        const auto& l = m.labels[static_cast<size_t>(id)];
        return std::pair(l.foreColor, l.backColor);
    };
    const std::pair<platform::OleColor, platform::OleColor> lit{0xFFFFFF, platform::kButtonText};
    const std::pair<platform::OleColor, platform::OleColor> unlit{platform::kButtonText, 0xFFFFFF};

    hover(m, f.Label1);
    EXPECT_EQ(colours(f.Label1), lit);
    EXPECT_EQ(colours(f.Label2), unlit);
    const int repaints = m.colorChanges;
    hover(m, f.Label1);
    hover(m, f.Label1);
    EXPECT_EQ(m.colorChanges, repaints);
    EXPECT_EQ(f.Hover1, 1);
    EXPECT_EQ(f.Hover2, 0);

    // Every crossing between the items moves the highlight, however often.
    for (int crossing = 0; crossing < 4; ++crossing) {
        const bool onExit = crossing % 2 == 0;
        hover(m, onExit ? f.Label2 : f.Label1);
        EXPECT_EQ(colours(f.Label1), onExit ? unlit : lit) << crossing;
        EXPECT_EQ(colours(f.Label2), onExit ? lit : unlit) << crossing;
        EXPECT_EQ(f.Hover1 * 2 + f.Hover2, onExit ? 1 : 2)
            << crossing;
    }
}

TEST_F(Menu, TheTopmostItemTogglesWithTheLeftButtonOnly) {
    auto& p = start();
    auto& m = openMenu();
    const auto caption = [&] { return m.labels[static_cast<size_t>(form2().Label1)].caption; };

    for (auto b : {kRight, kMiddle}) {
        press(m, form2().Label1, b);
        EXPECT_FALSE(m.isVisible());
        EXPECT_FALSE(p.window().topMost);
        EXPECT_EQ(caption(), " 常に手前に表示");
        openMenu();
    }
    press(m, form2().Label1, kLeft);
    EXPECT_TRUE(p.window().topMost);
    EXPECT_EQ(caption(), "*常に手前に表示");
    EXPECT_EQ(form2().TopMostOn, core::kTrue);
    EXPECT_FALSE(m.isVisible());

    openMenu();
    press(m, form2().Label1, kLeft);
    EXPECT_FALSE(p.window().topMost);
    EXPECT_EQ(caption(), " 常に手前に表示");
    EXPECT_EQ(form2().TopMostOn, core::kFalse);
}

TEST_F(Menu, ClickingTheMascotHidesTheMenuWhichComesBackWhereItWas) {
    auto& p = start();
    auto& m = openMenu();
    hover(m, form2().Label2);
    const auto place = m.geometry();
    desktop.click({639 + 10, 66 + 100}, kLeft);
    EXPECT_FALSE(m.isVisible());

    // Drag the mascot away, then open the menu again: same place, state kept.
    const auto g = p.window().geometry();
    desktop.drag({g.x + kPinInScene.x, g.y + kPinInScene.y}, {g.x + 300, g.y + 200}, kLeft);
    openMenu();
    EXPECT_TRUE(m.isVisible());
    EXPECT_EQ(m.geometry(), place);
    EXPECT_EQ(m.shows, 2);
    EXPECT_EQ(form2().Hover2, 1);
}

TEST_F(Menu, SetTopMostIgnoresFlagsOtherThanZeroAndOne) {
    auto& p = start();
    EXPECT_EQ(menu::SetTopMost(p.window(), 2), 0);
    EXPECT_EQ(menu::SetTopMost(p.window(), -1), 0);
    EXPECT_FALSE(p.window().topMost);
    EXPECT_NE(menu::SetTopMost(p.window(), 1), 0);
    EXPECT_TRUE(p.window().topMost);
}

TEST_F(Menu, ExitWritesThePositionAndEndsTheProgram) {
    auto& p = start();
    p.form.setTop(3450);
    p.form.setLeft(1200);
    auto& m = openMenu();
    for (auto b : {kRight, kMiddle}) {
        press(m, form2().Label2, b);
        EXPECT_FALSE(m.isVisible());
        EXPECT_FALSE(p.toolkit.ended());
        EXPECT_FALSE(std::filesystem::exists(settings));
        openMenu();
    }
    press(m, form2().Label2, kLeft);
    EXPECT_EQ(readFile(settings), "1200,3450\r\n");
    EXPECT_TRUE(p.toolkit.ended());
    EXPECT_FALSE(m.isVisible());
    EXPECT_FALSE(p.window().isVisible());
    EXPECT_TRUE(desktop.messageBoxes.empty());
    EXPECT_EQ(p.toolkit.exitCode(), 0);
    EXPECT_FALSE(std::filesystem::exists(dir / "pdl_swg.ini.new"));

    // The next start from the same directory comes back there.
    program.reset();
    auto& again = start();
    EXPECT_EQ(std::pair(again.form.Left(), again.form.Top()), std::pair(1200.0f, 3450.0f));
}

TEST_F(Menu, AnExitThatCannotSaveSaysWhatFailedAndWhereAndKeepsTheOldFile) {
    auto& p = start();
    std::filesystem::create_directory(settings);  // the name is taken by a directory
    auto& m = openMenu();
    press(m, form2().Label2, kLeft);
    ASSERT_EQ(desktop.messageBoxes.size(), 1u);
    const std::string& text = desktop.messageBoxes[0].text;
    EXPECT_NE(text.find(std::filesystem::absolute(settings).string()), std::string::npos) << text;
    EXPECT_EQ(desktop.messageBoxes[0].title, "RuviaMascot");
    EXPECT_TRUE(p.toolkit.ended());
    EXPECT_NE(p.toolkit.exitCode(), 0) << "a script is told the save failed";
    EXPECT_TRUE(std::filesystem::is_directory(settings));
    EXPECT_FALSE(std::filesystem::exists(dir / "pdl_swg.ini.new")) << "no partial file left";
}

TEST_F(Menu, AFailedSaveLeavesThePreviousFileIntact) {
    ruvia::testing::writeFile(settings, "1200,3450\r\n");
    auto& p = start();
    p.form.setLeft(3000);
    auto& m = openMenu();
    {
        // The new file cannot be written, whoever runs the test (root ignores permissions).
        const FileSizeLimit noRoom(0);
        press(m, form2().Label2, kLeft);
    }
    EXPECT_EQ(readFile(settings), "1200,3450\r\n");
    EXPECT_EQ(desktop.messageBoxes.size(), 1u);
}

TEST_F(Menu, AnExitAfterTheDirectoryWasRemovedNamesItsFullPath) {
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir);
    auto& p = [&]() -> ruvia::testing::SimProgram& {
        program = std::make_unique<ruvia::testing::SimProgram>(desktop, "pdl_swg.ini");
        program->form.Form_Load();
        return *program;
    }();
    std::filesystem::current_path(cwd);
    std::filesystem::remove_all(dir);
    auto& m = openMenu();
    press(m, form2().Label2, kLeft);
    ASSERT_EQ(desktop.messageBoxes.size(), 1u);
    EXPECT_NE(desktop.messageBoxes[0].text.find((dir / "pdl_swg.ini").string()), std::string::npos)
        << desktop.messageBoxes[0].text;
    EXPECT_TRUE(p.toolkit.ended());
}
