#include "core/capture.h"
#include "core/changed_area.h"
#include "core/line_raster.h"
#include "core/raster_ops.h"

#include <gtest/gtest.h>

#include <tuple>
#include <utility>
#include <vector>

using namespace ruvia::core;

namespace {

Image pattern(int w, int h) {
    Image img(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.at(x, y) = rgb(x * 20 % 256, y * 30 % 256, (x + y) * 7 % 256);
    return img;
}

}  // namespace

TEST(BitBlt, RasterOpsCombinePixelByPixel) {
    const uint32_t d = 0xF012F0A5, s = 0x3C3C0FFF;  // all four bytes, alpha included
    const std::pair<RasterOp, uint32_t> cases[] = {
        {RasterOp::SrcCopy, s}, {RasterOp::SrcAnd, d & s}, {RasterOp::SrcInvert, d ^ s}};
    for (const auto& [rop, expected] : cases) {
        Image dst(1, 1, d);
        EXPECT_EQ(bitBlt(dst, 0, 0, 1, 1, Image(1, 1, s), 0, 0, rop), 1);
        EXPECT_EQ(dst.at(0, 0), expected) << std::hex << static_cast<uint32_t>(rop);
    }
    Image dst(1, 1, d);
    EXPECT_EQ(bitBlt(dst, 0, 0, 1, 1, Image(1, 1, s), 0, 0, static_cast<RasterOp>(0x42)), 0);
    EXPECT_EQ(dst.at(0, 0), d);
}

TEST(BitBlt, MaskThenSpriteShowsSpriteWhereOpaqueAndSceneElsewhere) {
    // 2 x 1: the left pixel lets the scene through, the right one is a nearly black sprite
    // pixel; a captured (opaque) scene and a see-through one alike, alpha included.
    Image mask(2, 1, kMaskSeeThrough), sprite(2, 1, kTransparent);
    mask.at(1, 0) = kMaskSolid;
    sprite.at(1, 0) = rgb(0, 0, 6);
    for (uint32_t scene : {kBlack, kWhite, rgb(0x7F, 0x33, 0x11), kTransparent}) {
        Image dst(2, 1, scene);
        bitBlt(dst, 0, 0, 2, 1, mask, 0, 0, RasterOp::SrcAnd);
        bitBlt(dst, 0, 0, 2, 1, sprite, 0, 0, RasterOp::SrcInvert);
        EXPECT_EQ(dst.at(0, 0), scene) << std::hex << scene;
        EXPECT_EQ(dst.at(1, 0), 0xFF000006u) << std::hex << scene;
    }
}

TEST(BitBlt, ClipsAtEveryEdgeAndLeavesTheRestUntouched) {
    struct Case {
        const char* name;
        int x, y, sx, sy;
    };
    const Case cases[] = {{"inside", 2, 3, 0, 0},     {"past right", 8, 1, 0, 0},
                          {"past bottom", 1, 8, 0, 0}, {"negative", -2, -3, 0, 0},
                          {"source offset", 1, 1, 2, 2}, {"source past its edge", 0, 0, 3, 3},
                          {"fully outside", 20, 20, 0, 0}};
    const Image src = pattern(5, 5);
    for (const Case& c : cases) {
        Image dst(10, 10, 0xABCDEF);
        bitBlt(dst, c.x, c.y, 5, 5, src, c.sx, c.sy, RasterOp::SrcCopy);
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x) {
                const int u = x - c.x + c.sx, v = y - c.y + c.sy;
                const bool copied = x - c.x >= 0 && x - c.x < 5 && y - c.y >= 0 && y - c.y < 5 &&
                                    src.contains(u, v);
                EXPECT_EQ(dst.at(x, y), copied ? src.at(u, v) : 0xABCDEFu)
                    << c.name << " at " << x << "," << y;
            }
    }
}

TEST(BitBlt, EveryOperationMatchesThePixelRuleOnAnyWidthAndCarriesTheTopByte) {
    // Widths around the vector length, rows that do and do not lie back to back, source
    // and destination offsets; pixels with all 32 bits in play.
    const auto word = [](int x, int y, uint32_t seed) {
        return (static_cast<uint32_t>(x) * 0x9E3779B9u) ^ (static_cast<uint32_t>(y) * 0x85EBCA6Bu) ^ seed;
    };
    const std::pair<RasterOp, uint32_t (*)(uint32_t, uint32_t)> ops[] = {
        {RasterOp::SrcCopy, [](uint32_t, uint32_t s) { return s; }},
        {RasterOp::SrcAnd, [](uint32_t d, uint32_t s) { return d & s; }},
        {RasterOp::SrcInvert, [](uint32_t d, uint32_t s) { return d ^ s; }}};
    for (const auto& [rop, rule] : ops)
        for (int w : {1, 3, 4, 5, 8, 13, 16, 17})
            for (const auto& [srcWidth, sx, x] : {std::tuple(w, 0, 0), std::tuple(w + 3, 2, 1)}) {
                Image src(srcWidth, 4), dst(srcWidth, 4);
                for (int y = 0; y < 4; ++y)
                    for (int xx = 0; xx < srcWidth; ++xx) {
                        src.at(xx, y) = word(xx, y, 0xA5000000u);
                        dst.at(xx, y) = word(xx + 7, y, 0xFF00FF00u);
                    }
                const Image before = dst;
                bitBlt(dst, x, 1, w, 2, src, sx, 0, rop);
                for (int y = 0; y < 4; ++y)
                    for (int xx = 0; xx < srcWidth; ++xx) {
                        const int u = xx - x + sx, v = y - 1;
                        const bool inside = xx >= x && xx - x < w && v >= 0 && v < 2 && u < srcWidth;
                        ASSERT_EQ(dst.at(xx, y), inside ? rule(before.at(xx, y), src.at(u, v))
                                                        : before.at(xx, y))
                            << std::hex << static_cast<uint32_t>(rop) << std::dec << " w " << w
                            << " at " << xx << "," << y;
                    }
            }
}

TEST(FillRect, FillsOnlyTheClippedRectangle) {
    for (const auto& [x, y, w, h] : {std::tuple(2, 1, 3, 2), std::tuple(-2, -1, 4, 3),
                                    std::tuple(4, 3, 9, 9), std::tuple(0, 0, 0, 5)}) {
        Image img(6, 4, kWhite);
        fillRect(img, x, y, w, h, 0x123456);
        for (int v = 0; v < 4; ++v)
            for (int u = 0; u < 6; ++u) {
                const bool inside = u >= x && u < x + w && v >= y && v < y + h;
                ASSERT_EQ(img.at(u, v), inside ? 0x123456u : kWhite) << x << "," << y << " at " << u << "," << v;
            }
    }
}

TEST(ThickLine, CoversBothEndsTwoPixelsWideAndClips) {
    Image img(20, 20, kWhite);
    drawThickLine(img, 2, 2, 2, 12, 0xB46400);
    for (int y = 2; y <= 12; ++y) {
        EXPECT_EQ(img.at(2, y), 0xB46400u) << y;
        EXPECT_EQ(img.at(3, y), 0xB46400u) << y;
        EXPECT_EQ(img.at(4, y), kWhite) << y;
    }
    EXPECT_EQ(img.at(2, 13), kWhite);
    drawThickLine(img, -50, -50, 100, 100, 0x123456);  // must not write outside
    EXPECT_EQ(img.at(19, 19), 0x123456u);
}

TEST(ThickLine, TouchesNothingOutsideItsBoundsInAnyDirection) {
    // Steep and shallow, both ways, a point, and ends that round half away from zero.
    const double ends[][4] = {{90, 60, 60, 94}, {60, 94, 90, 60}, {3, 5, 30, 9},  {30, 9, 3, 5},
                              {7, 7, 7, 7},     {2.5, 3.5, 20.5, 31.5},          {10, 0, 10, 39}};
    for (const auto& e : ends) {
        Image img(100, 100, kWhite);
        drawThickLine(img, e[0], e[1], e[2], e[3], kBlack);
        const PixelBounds b = thickLineBounds(e[0], e[1], e[2], e[3]);
        int drawn = 0;
        for (int y = 0; y < img.height; ++y)
            for (int x = 0; x < img.width; ++x) {
                if (img.at(x, y) == kWhite) continue;
                ++drawn;
                EXPECT_TRUE(x >= b.x && x < b.x + b.width && y >= b.y && y < b.y + b.height)
                    << e[0] << "," << e[1] << " to " << e[2] << "," << e[3] << " drew " << x << "," << y;
            }
        EXPECT_GE(drawn, 2) << e[0] << "," << e[1];
    }
}

TEST(ChangedArea, BoundsEveryDifferingPixelAndNothingMore) {
    struct Case {
        const char* what;
        std::vector<std::pair<int, int>> changed;  // pixels of a 7 x 5 frame
        Area expected;
    };
    const Case cases[] = {
        {"equal frames", {}, {}},
        {"one pixel", {{3, 2}}, {3, 2, 1, 1}},
        {"both corners", {{0, 0}, {6, 4}}, {0, 0, 7, 5}},
        {"a later row reaching further left", {{5, 1}, {1, 3}, {4, 3}}, {1, 1, 5, 3}},
        {"only the last column", {{6, 0}, {6, 4}}, {6, 0, 1, 5}},
    };
    const Image before = pattern(7, 5);
    for (const Case& c : cases) {
        Image after = before;
        for (auto [x, y] : c.changed) after.at(x, y) ^= 0x01000000u;  // alpha alone counts
        EXPECT_EQ(changedArea(before, after), c.expected) << c.what;
    }
    EXPECT_EQ(changedArea(Image(), pattern(3, 2)), (Area{0, 0, 3, 2})) << "another size";
}

TEST(FrameForScreen, EachScenePixelIsABlockOverTheCaptureWhereTheSceneIsTransparent) {
    using ruvia::core::Backdrop;
    using ruvia::core::Capture;
    constexpr uint32_t T = ruvia::core::kTransparent;
    const uint32_t art = ruvia::core::rgb(200, 10, 10);
    const uint32_t clearColour = 0x00123456;  // a transparent pixel's colour bits, say
    // A 2 x 1 scene: art on the left, see-through on the right.
    ruvia::core::Image scene(2, 1);
    scene.pixels = {art, T};
    auto device = [](int w, int h, uint32_t base) {
        ruvia::core::Image img(w, h);
        for (int i = 0; i < w * h; ++i) img.pixels[static_cast<size_t>(i)] = ruvia::core::kOpaque | (base + i);
        return img;
    };
    struct Case {
        const char* name;
        Capture behind;
        int factor;
        Backdrop backdrop;
        std::vector<uint32_t> expected;
    };
    const Case cases[] = {
        {"1x over its capture", {device(2, 1, 0x100), 1}, 1, Backdrop::Captured,
         {art, ruvia::core::kOpaque | 0x101}},
        {"2x: the art in a block, the capture's own device pixels beside it",
         {device(4, 2, 0x200), 2}, 2, Backdrop::Captured,
         {art, art, ruvia::core::kOpaque | 0x202, ruvia::core::kOpaque | 0x203, art, art,
          ruvia::core::kOpaque | 0x206, ruvia::core::kOpaque | 0x207}},
        {"see-through: transparent stays transparent, whatever was captured",
         {device(4, 2, 0x200), 2}, 2, Backdrop::SeeThrough, {art, art, T, T, art, art, T, T}},
        {"a capture of another scale is not laid under", {device(2, 1, 0x300), 1}, 2,
         Backdrop::Captured,
         {art, art, ruvia::core::kOpaque, ruvia::core::kOpaque, art, art, ruvia::core::kOpaque,
          ruvia::core::kOpaque}},
        {"nothing read: the frame's own colour, opaque", {}, 1, Backdrop::Captured,
         {art, ruvia::core::kOpaque}},
    };
    for (const Case& c : cases) {
        ruvia::core::Image out(7, 7, clearColour);  // reused and resized
        ruvia::core::frameForScreen(scene, c.behind, c.factor, c.backdrop, out);
        EXPECT_EQ(out.width, 2 * c.factor) << c.name;
        EXPECT_EQ(out.height, c.factor) << c.name;
        EXPECT_EQ(out.pixels, c.expected) << c.name;
    }
}
