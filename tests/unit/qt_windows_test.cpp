// The Qt backend's windows on Qt's offscreen platform: what the forms rely on that
// needs no real desktop (the e2e tests cover the rest).
#include "platform/qt/qt_toolkit.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace ruvia;
using namespace ruvia::platform;

namespace {

// One application for the whole run, ended before the program's exit handlers run:
// Qt's own statics are gone by then.
class ApplicationEnvironment : public ::testing::Environment {
public:
    void TearDown() override { app.reset(); }
    QApplication& get() {
        if (!app) {
            if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
                qputenv("QT_QPA_PLATFORM", "offscreen");
            app = std::make_unique<QApplication>(argc, argv);
        }
        return *app;
    }

private:
    int argc = 1;
    char name[14] = "qt_unit_tests";
    char* argv[2] = {name, nullptr};
    std::unique_ptr<QApplication> app;
};

ApplicationEnvironment* const environment = static_cast<ApplicationEnvironment*>(
    ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment));

QApplication& app() { return environment->get(); }

QWidget* topLevelTitled(const QString& title) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->windowTitle() == title) return w;
    return nullptr;
}

void send(QWidget& to, QEvent::Type type, QPoint at, Qt::MouseButton button) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton
                                  : type == QEvent::MouseMove        ? Qt::MouseButtons()
                                                                     : Qt::MouseButtons(button);
    QMouseEvent event(type, QPointF(at), QPointF(to.mapToGlobal(at)), button, held,
                      Qt::NoModifier);
    QApplication::sendEvent(&to, &event);
}

class QtWindowsTest : public ::testing::Test {
protected:
    QApplication& application = app();  // before the toolkit, which needs it
    qt::QtToolkit toolkit;
};

}  // namespace

TEST_F(QtWindowsTest, ResizeIsReportedOncePerNewSize) {
    auto window = toolkit.createMascotWindow();
    int resizes = 0;
    window->events.resize = [&] { ++resizes; };
    window->move(10, 20);
    window->resize(120, 80);
    EXPECT_EQ(resizes, 1) << "from inside resize()";
    window->resize(120, 80);
    EXPECT_EQ(resizes, 1) << "the same size again";
    window->show();
    toolkit.doEvents();
    toolkit.doEvents();
    EXPECT_EQ(resizes, 1) << "Qt's own resize event on show is no second report";
    window->resize(130, 80);
    toolkit.doEvents();
    EXPECT_EQ(resizes, 2);
    EXPECT_EQ(window->geometry(), (PixelRect{10, 20, 130, 80}));
}

TEST_F(QtWindowsTest, MouseButtonsReachTheFormAsDownAndUpWithTheirScreenPlaces) {
    auto window = toolkit.createMascotWindow();
    window->resize(100, 100);
    window->show();
    toolkit.doEvents();
    QWidget* surface = topLevelTitled("RuviaMascot");
    ASSERT_NE(surface, nullptr);

    std::vector<std::string> log;
    auto name = [](MouseButton b, PixelPoint p) {
        return std::to_string(static_cast<int>(b)) + "@" + std::to_string(p.x) + "," +
               std::to_string(p.y);
    };
    // Where on the screen each event was, less where in the window: the window's corner.
    std::vector<PixelPoint> corners;
    window->events.mouseDown = [&](MouseButton b, PixelPoint p, PixelPoint onScreen) {
        log.push_back("down " + name(b, p));
        corners.push_back({onScreen.x - p.x, onScreen.y - p.y});
    };
    window->events.mouseUp = [&](MouseButton b, PixelPoint p, PixelPoint onScreen) {
        log.push_back("up " + name(b, p));
        corners.push_back({onScreen.x - p.x, onScreen.y - p.y});
    };

    struct Case {
        const char* name;
        Qt::MouseButton pressed;
        QPoint from;
        Qt::MouseButton released;
        QPoint to;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"left click", Qt::LeftButton, {10, 20}, Qt::LeftButton, {11, 21},
         {"down 1@10,20", "up 1@11,21"}},
        {"right click", Qt::RightButton, {5, 5}, Qt::RightButton, {5, 5},
         {"down 2@5,5", "up 2@5,5"}},
        {"middle click", Qt::MiddleButton, {50, 60}, Qt::MiddleButton, {50, 60},
         {"down 4@50,60", "up 4@50,60"}},
        {"moved too far for a click", Qt::LeftButton, {10, 10}, Qt::LeftButton, {30, 10},
         {"down 1@10,10", "up 1@30,10"}},
        {"released outside the window", Qt::LeftButton, {98, 50}, Qt::LeftButton, {101, 50},
         {"down 1@98,50", "up 1@101,50"}},
        {"other buttons are not the form's", Qt::BackButton, {10, 10}, Qt::BackButton, {10, 10},
         {}},
    };
    const PixelRect g = window->geometry();
    for (const Case& c : cases) {
        log.clear();
        corners.clear();
        send(*surface, QEvent::MouseButtonPress, c.from, c.pressed);
        send(*surface, QEvent::MouseButtonRelease, c.to, c.released);
        EXPECT_EQ(log, c.expected) << c.name;
        for (const PixelPoint& corner : corners)
            EXPECT_EQ(corner, (PixelPoint{g.x, g.y})) << c.name << ": the screen's place";
    }
}

TEST_F(QtWindowsTest, AnUnreadableScreenLeavesTheCaptureAsItWas) {
    // Offscreen, like Wayland, is no X11: the screen cannot be read.
    auto window = toolkit.createMascotWindow();
    window->resize(4, 4);
    core::Capture capture{core::Image(4, 4, 0xABCDEF), 1};
    EXPECT_FALSE(window->copyScreenBehind(capture, 4, 4));
    EXPECT_EQ(capture.pixels, core::Image(4, 4, 0xABCDEF));
}

TEST_F(QtWindowsTest, TheTimerTicksUntilItsIntervalIsZero) {
    auto timer = toolkit.createTimer();
    int ticks = 0;
    timer->onTick = [&] { ++ticks; };
    timer->setInterval(5);
    EXPECT_EQ(timer->interval(), 5);
    QElapsedTimer clock;
    clock.start();
    while (ticks < 3 && clock.elapsed() < 2000) toolkit.doEvents();
    EXPECT_GE(ticks, 3);
    timer->setInterval(0);
    EXPECT_EQ(timer->interval(), 0);
    const int stoppedAt = ticks;
    clock.restart();
    while (clock.elapsed() < 30) toolkit.doEvents();
    EXPECT_EQ(ticks, stoppedAt);
}

TEST_F(QtWindowsTest, MenuChildrenStackAndReportAsDesigned) {
    auto owner = toolkit.createMascotWindow();
    owner->move(300, 300);
    owner->resize(100, 150);
    owner->show();
    auto menu = toolkit.createMenuWindow();
    menu->setTitle("menu under test");
    menu->setInnerSize(120, 100);
    menu->addPanel({0, 0, 118, 98}, kWindowBackground);
    // Overlapping items: the one added first lies above.
    const LabelId upper = menu->addLabel({{0, 60, 150, 20}, " upper"});
    const LabelId lower = menu->addLabel({{0, 40, 150, 35}, " lower"});
    std::vector<std::string> log;
    menu->events.labelMouseMove = [&](LabelId id) { log.push_back("move " + std::to_string(id)); };
    menu->events.labelMouseDown = [&](LabelId id, MouseButton b) {
        log.push_back("down " + std::to_string(id) + " " + std::to_string(static_cast<int>(b)));
    };
    int deactivations = 0;
    menu->events.deactivate = [&] { ++deactivations; };

    menu->show(*owner);
    toolkit.doEvents();
    QWidget* window = topLevelTitled("menu under test");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(menu->geometry(), (PixelRect{290, 325, 120, 100})) << "centred over its owner";

    // Children sit inside the panel's 2-pixel sunken border.
    auto childAt = [&](int x, int y) { return window->childAt(x + 2, y + 2); };
    QWidget* atUpper = childAt(10, 65);
    QWidget* atLowerOnly = childAt(10, 45);
    ASSERT_NE(atUpper, nullptr);
    ASSERT_NE(atLowerOnly, nullptr);
    send(*atUpper, QEvent::MouseMove, {3, 3}, Qt::NoButton);
    send(*atLowerOnly, QEvent::MouseMove, {3, 3}, Qt::NoButton);
    send(*atUpper, QEvent::MouseButtonPress, {3, 3}, Qt::RightButton);
    send(*atLowerOnly, QEvent::MouseButtonPress, {3, 3}, Qt::LeftButton);
    EXPECT_EQ(log, (std::vector<std::string>{"move " + std::to_string(upper),
                                             "move " + std::to_string(lower),
                                             "down " + std::to_string(upper) + " 2",
                                             "down " + std::to_string(lower) + " 1"}));
    EXPECT_EQ(window->childAt(10, 61), atLowerOnly) << "placed from the border's inner corner";
    EXPECT_EQ(window->childAt(115, 65), atUpper);
    EXPECT_NE(window->childAt(116, 65), atUpper) << "items are cut off at the border";

    // The mascot never takes the focus; pressing it counts as its activation.
    QWidget* surface = topLevelTitled("RuviaMascot");
    ASSERT_NE(surface, nullptr);
    send(*surface, QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton);
    send(*surface, QEvent::MouseButtonRelease, {5, 5}, Qt::LeftButton);
    EXPECT_EQ(deactivations, 1);
    menu->hide();
    send(*surface, QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton);
    send(*surface, QEvent::MouseButtonRelease, {5, 5}, Qt::LeftButton);
    EXPECT_EQ(deactivations, 1) << "a hidden menu is not deactivated";

    owner->move(0, 0);
    menu->show(*owner);
    EXPECT_EQ(menu->geometry(), (PixelRect{290, 325, 120, 100})) << "later shows keep the place";
}
