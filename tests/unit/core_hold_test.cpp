#include "core/screen_hold.h"

#include <gtest/gtest.h>

#include <vector>

using namespace ruvia::core;

TEST(Hold, PullsTheWindowBackInsideItsScreen) {
    const TwipsRect screen{0, 0, 15360, 11520};  // 1024 x 768 at 15 twips per pixel
    struct Case {
        const char* name;
        TwipsRect window;
        TwipsRect expected;
    };
    const Case cases[] = {
        {"inside", {1200, 3450, 1605, 2250}, {1200, 3450, 1605, 2250}},
        {"above", {1200, -300, 1605, 2250}, {1200, 0, 1605, 2250}},
        {"left", {-150, 3450, 1605, 2250}, {0, 3450, 1605, 2250}},
        {"below", {1200, 10000, 1605, 2250}, {1200, 9270, 1605, 2250}},
        {"right", {14000, 3450, 1605, 2250}, {13755, 3450, 1605, 2250}},
        {"bottom edge exactly", {1200, 9270, 1605, 2250}, {1200, 9270, 1605, 2250}},
        {"corner", {-500, -500, 1605, 2250}, {0, 0, 1605, 2250}},
        {"taller than the screen", {100, 100, 1605, 12000}, {100, -480, 1605, 12000}},
        {"wider than the screen", {100, 100, 16000, 2250}, {-640, 100, 16000, 2250}},
    };
    for (const Case& c : cases) EXPECT_EQ(holdInside(c.window, screen), c.expected) << c.name;
}

TEST(Hold, ChoosesTheScreenShowingMostOfTheWindow) {
    // LEFT 800 x 600 at (0, 0) and RIGHT 1024 x 768 at (800, 0), in twips.
    const std::vector<TwipsRect> screens = {{0, 0, 12000, 9000}, {12000, 0, 15360, 11520}};
    struct Case {
        const char* name;
        TwipsRect window;
        size_t screen;
        TwipsRect held;
    };
    const Case cases[] = {
        {"on the right screen", {20000, 3000, 1605, 2250}, 1, {20000, 3000, 1605, 2250}},
        {"straddling, mostly right", {11500, 3000, 1605, 2250}, 1, {12000, 3000, 1605, 2250}},
        {"straddling, mostly left", {11000, 3000, 1605, 2250}, 0, {10395, 3000, 1605, 2250}},
        {"below the left screen only", {3000, 9500, 1605, 2250}, 0, {3000, 6750, 1605, 2250}},
        {"far beyond, nearest is right", {90000, 90000, 1605, 2250}, 1, {25755, 9270, 1605, 2250}},
        {"far left, nearest is left", {-90000, 100, 1605, 2250}, 0, {0, 100, 1605, 2250}},
    };
    for (const Case& c : cases) {
        const size_t i = screenHolding(c.window, screens);
        EXPECT_EQ(i, c.screen) << c.name;
        EXPECT_EQ(holdInside(c.window, screens[i]), c.held) << c.name;
    }
}
