#include "core/image.h"
#include "platform/qt/image_convert.h"
#include "platform/qt/pixel_scale.h"
#include "platform/qt/scaled_screens.h"
#include "platform/qt/system_colors.h"

#include <gtest/gtest.h>

#include <span>
#include <vector>

using namespace ruvia;
using namespace ruvia::platform::qt;

TEST(QtPixels, TwipsPerLogicalPixelFollowTheScreensDpi) {
    struct Case {
        double dpi;
        double twips;
    };
    const Case cases[] = {{96, 15}, {120, 12}, {144, 10}, {72, 20}, {0, 15}, {-5, 15}};
    for (const Case& c : cases) EXPECT_DOUBLE_EQ(twipsPerPixelFor(c.dpi), c.twips) << c.dpi;
}

// A device grab whose pixel (x, y) holds the value x + 100 y, so each logical pixel shows
// which device pixel it took.
static core::Image numbered(int w, int h) {
    core::Image img(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.at(x, y) = static_cast<uint32_t>(x + 100 * y);
    return img;
}

TEST(QtPixels, DeviceGrabsAreSampledAtLogicalPixelCentres) {
    struct Case {
        const char* name;
        int deviceW, deviceH, logicalW, logicalH;
        std::vector<int> columns;  // device column each logical column takes
        std::vector<int> rows;
    };
    const Case cases[] = {
        {"ratio 1 is the identity", 3, 2, 3, 2, {0, 1, 2}, {0, 1}},
        {"ratio 2 takes every second pixel", 4, 4, 2, 2, {1, 3}, {1, 3}},
        {"ratio 1.25 drops one pixel in five", 5, 10, 4, 8, {0, 1, 3, 4}, {0, 1, 3, 4, 5, 6, 8, 9}},
        {"ratio 0.5 doubles pixels", 2, 1, 4, 2, {0, 0, 1, 1}, {0, 0}},
    };
    for (const Case& c : cases) {
        const core::Image logical =
            logicalFromDevice(numbered(c.deviceW, c.deviceH), c.logicalW, c.logicalH);
        ASSERT_EQ(logical.width, c.logicalW) << c.name;
        ASSERT_EQ(logical.height, c.logicalH) << c.name;
        for (int y = 0; y < c.logicalH; ++y)
            for (int x = 0; x < c.logicalW; ++x)
                EXPECT_EQ(logical.at(x, y), static_cast<uint32_t>(c.columns[x] + 100 * c.rows[y]))
                    << c.name << " at " << x << "," << y;
    }
}

TEST(QtPixels, ImagesCrossToQtAndBackUnchanged) {
    core::Image img(3, 2);
    img.pixels = {0xFF000000, 0xFFFFFFFF, 0xFF123456, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF};
    const QImage q = toOpaqueQImage(img);
    EXPECT_EQ(q.format(), QImage::Format_RGB32);
    EXPECT_EQ(fromQImage(q), img);
    // Format_RGB32 requires an opaque top byte, also for a pixel that is transparent.
    core::Image seeThrough = img;
    seeThrough.pixels[0] = core::kTransparent;
    EXPECT_EQ(qAlpha(toOpaqueQImage(seeThrough).pixel(0, 0)), 255);
    // Other formats come back as opaque pixels.
    EXPECT_EQ(fromQImage(q.convertToFormat(QImage::Format_ARGB32_Premultiplied)), img);
    EXPECT_EQ(fromQImage(q.convertToFormat(QImage::Format_RGB888)), img);
}

TEST(QtPixels, AlphaCrossesToQt) {
    core::Image image(3, 1);
    image.pixels = {core::kTransparent, 0xFF00FF00, 0x80FF0000};
    const QImage q = toQImage(image);
    EXPECT_EQ(qAlpha(q.pixel(0, 0)), 0);
    EXPECT_EQ(q.pixel(1, 0), 0xFF00FF00u);
    // Stored premultiplied: half-transparent red is half red.
    EXPECT_EQ(reinterpret_cast<const uint32_t*>(q.constScanLine(0))[2], 0x80800000u);
}

TEST(QtPixels, DesignColoursResolveToPixels) {
    const SystemPalette palette{0xFFF0F0F0, 0xFF101010, 0xFF202020};
    struct Case {
        platform::OleColor color;
        uint32_t pixel;
    };
    const Case cases[] = {
        {0x0000FF, 0xFFFF0000},                  // plain red, written 0x00BBGGRR
        {0x0064B4, 0xFFB46400},                  // the string's colour
        {0xFFFFFF, 0xFFFFFFFF},
        {0x01FF0000, 0xFF0000FF},                // a stray top byte is not a system colour
        {platform::kWindowBackground, 0xFFF0F0F0},
        {platform::kWindowText, 0xFF101010},
        {platform::kButtonText, 0xFF202020},
        {platform::systemColor(1), 0xFF000000},  // one the forms never use
    };
    for (const Case& c : cases)
        EXPECT_EQ(resolveOleColor(c.color, palette), c.pixel) << std::hex << c.color;
}

TEST(QtPixels, TheGripStaysUnderThePointerAcrossScreensOfAnotherScale) {
    // LEFT 800 x 600 at 100%, RIGHT 1024 x 768 device pixels at 200% beside it (512 x 384
    // logical from (800, 0)); the window is 107 x 150 logical.
    const ScaledScreen one[] = {{QRect(0, 0, 800, 600), 1.0}};
    const ScaledScreen two[] = {{QRect(0, 0, 800, 600), 1.0}, {QRect(800, 0, 512, 384), 2.0}};
    struct Case {
        const char* what;
        std::span<const ScaledScreen> screens;
        int current;
        QPointF pointer;  // device pixels
        QPointF grip;
        QPoint expected;
    };
    const Case cases[] = {
        {"one screen", one, 0, {300, 200}, {53, 8}, {247, 192}},
        {"onto RIGHT", two, 0, {1000, 200}, {53, 8}, {847, 92}},
        {"on RIGHT, the centre below its logical bottom", two, 1, {1000, 740}, {53, 8}, {847, 362}},
        {"back onto LEFT", two, 1, {400, 300}, {53, 8}, {347, 292}},
        // The pointer on LEFT, the window's centre in RIGHT's logical area: Qt maps it
        // through RIGHT, at RIGHT's scale, so the grip is doubled there.
        {"on LEFT at the seam, gripped far left", two, 0, {790, 50}, {10, 8}, {785, 17}},
        {"a pointer beyond every screen", two, 0, {-40, 700}, {53, 8}, {-93, 692}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(placeUnderPointer(c.screens, c.current, c.pointer, c.grip, QSize(107, 150)),
                  c.expected)
            << c.what;
}
