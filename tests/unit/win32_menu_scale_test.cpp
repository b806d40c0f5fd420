#include "platform/win32/menu_scale.h"

#include <gtest/gtest.h>

using namespace ruvia;
using platform::win32::blownUp;
using platform::win32::MenuScale;

TEST(Win32MenuScale, TheMenuFollowsTheMascotsRuleOnItsMonitorAndItsPictureStaysBlocky) {
    // The menu's inner width, 3156 twips, as the form gives it at 15 twips per pixel
    // (210) and at 10 (a mascot on a 144 dpi monitor: 316), on monitors of each scale.
    const struct {
        double designTwipsPerPixel;
        int dpi;
        int device;
    } cases[] = {
        {15, 96, 210},  {15, 120, 262},  // 262.5 rounds to even
        {15, 144, 315}, {15, 192, 420},  // 200 %: 210 scene pixels of 2 x 2
        {15, 288, 630}, {10, 144, 316},  // the form's own pixels, one for one
        {10, 96, 211},  // made on a 150 % monitor, shown on a 100 % one
    };
    for (const auto& c : cases) {
        const MenuScale scale{c.designTwipsPerPixel, core::displayScaleFor(c.dpi)};
        const int design = c.designTwipsPerPixel == 15 ? 210 : 316;
        EXPECT_EQ(scale.devicePixels(design), c.device) << c.designTwipsPerPixel << " " << c.dpi;
    }
    const MenuScale doubled{15, core::displayScaleFor(192)};
    EXPECT_EQ(doubled.deviceRect({8, 8, 26, 45}), (platform::PixelRect{16, 16, 52, 90}));

    core::Image art(2, 1);
    art.at(0, 0) = core::rgb(1, 2, 3);
    art.at(1, 0) = core::rgb(4, 5, 6);
    const core::Image big = blownUp(art, 2);
    ASSERT_EQ((std::pair{big.width, big.height}), (std::pair{4, 2}));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(big.at(x, y), art.at(x / 2, 0)) << x << "," << y;
}
