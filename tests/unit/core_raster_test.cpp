#include "core/line_raster.h"
#include "core/raster_ops.h"

#include <gtest/gtest.h>

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
