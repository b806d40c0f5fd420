#include "assets/art.h"
#include "core/raster_ops.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <utility>

using namespace ruvia;
using core::Image;
using core::kBlack;
using core::kMaskSeeThrough;
using core::kMaskSolid;
using core::kTransparent;
using core::kWhite;

namespace {

struct Box {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
};

// Bounding box of the pixels where the mask is solid.
Box opaqueBox(const Image& mask) {
    Box box;
    for (int y = 0; y < mask.height; ++y)
        for (int x = 0; x < mask.width; ++x)
            if (mask.at(x, y) == kMaskSolid) {
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x);
                box.top = std::min(box.top, y);
                box.bottom = std::max(box.bottom, y);
            }
    return box;
}

// Mean column of the opaque pixels in rows [from, to].
double meanOpaqueColumn(const Image& mask, int from, int to) {
    double sum = 0;
    int count = 0;
    for (int y = from; y <= to; ++y)
        for (int x = 0; x < mask.width; ++x)
            if (mask.at(x, y) == kMaskSolid) sum += x, ++count;
    return count ? sum / count : -1;
}

bool nearBlack(uint32_t pixel) {
    return pixel != kBlack && ((pixel >> 16) & 0xFF) < 0x10 && ((pixel >> 8) & 0xFF) < 0x10 &&
           (pixel & 0xFF) < 0x10;
}

constexpr int kPairs[][2] = {{1, 2}, {3, 4}, {5, 6}, {7, 8}};  // sprite, mask
constexpr int kCharacterSprites[] = {1, 3, 5};

}  // namespace

TEST(ImageList, FramesHaveTheirSizes) {
    const struct {
        int index, width, height;
    } cases[] = {{1, 32, 56}, {2, 32, 56}, {3, 32, 56}, {4, 32, 56},
                 {5, 32, 56}, {6, 32, 56}, {7, 16, 16}, {8, 16, 16}};
    for (const auto& c : cases) {
        const Image& frame = assets::imageListFrame(c.index);
        EXPECT_EQ(frame.width, c.width) << "frame " << c.index;
        EXPECT_EQ(frame.height, c.height) << "frame " << c.index;
        EXPECT_EQ(frame.pixels.size(), static_cast<size_t>(c.width) * c.height);
    }
}

TEST(ImageList, IndicesOutsideOneToEightThrow) {
    for (int index : {-1, 0, 9, 100})
        EXPECT_THROW(assets::imageListFrame(index), std::out_of_range) << index;
}

TEST(ImageList, EveryPairObeysTheMaskRule) {
    for (const auto& [spriteIndex, maskIndex] : kPairs) {
        const Image& sprite = assets::imageListFrame(spriteIndex);
        const Image& mask = assets::imageListFrame(maskIndex);
        ASSERT_EQ(sprite.width, mask.width);
        ASSERT_EQ(sprite.height, mask.height);
        int opaque = 0, clear = 0;
        for (int y = 0; y < mask.height; ++y)
            for (int x = 0; x < mask.width; ++x) {
                const uint32_t m = mask.at(x, y);
                ASSERT_TRUE(m == kMaskSolid || m == kMaskSeeThrough)
                    << "mask " << maskIndex << " at " << x << "," << y << " is " << std::hex << m;
                if (m == kMaskSeeThrough) {
                    ++clear;
                    EXPECT_EQ(sprite.at(x, y), kTransparent) << "sprite " << spriteIndex << " at " << x << "," << y;
                } else {
                    ++opaque;
                    EXPECT_TRUE(core::isOpaque(sprite.at(x, y))) << "sprite " << spriteIndex << " at " << x << "," << y;
                }
            }
        EXPECT_GT(opaque, 0) << "pair " << spriteIndex;
        EXPECT_GT(clear, 0) << "pair " << spriteIndex;
    }
}

TEST(ImageList, CompositingShowsTheSceneAroundTheSpriteAndTheSpriteOnIt) {
    // Drawn the way the mascot window draws: mask with AND, then sprite with XOR.
    for (const auto& [spriteIndex, maskIndex] : kPairs) {
        const Image& sprite = assets::imageListFrame(spriteIndex);
        const Image& mask = assets::imageListFrame(maskIndex);
        // Captured backgrounds, and the transparent one of a composited desktop.
        for (uint32_t scene : {kBlack, kWhite, core::rgb(0x3A, 0x6E, 0xA5), kTransparent}) {
            Image dst(sprite.width, sprite.height, scene);
            core::bitBlt(dst, 0, 0, sprite.width, sprite.height, mask, 0, 0, core::RasterOp::SrcAnd);
            core::bitBlt(dst, 0, 0, sprite.width, sprite.height, sprite, 0, 0, core::RasterOp::SrcInvert);
            for (int y = 0; y < dst.height; ++y)
                for (int x = 0; x < dst.width; ++x)
                    ASSERT_EQ(dst.at(x, y), mask.at(x, y) == kMaskSeeThrough ? scene : sprite.at(x, y))
                        << "pair " << spriteIndex << " at " << x << "," << y;
        }
    }
}

TEST(Character, SilhouetteRunsFromTheSecondRowToTheBottomUnderTheString) {
    for (int spriteIndex : kCharacterSprites) {
        const Image& mask = assets::imageListFrame(spriteIndex + 1);
        const Box box = opaqueBox(mask);
        EXPECT_EQ(box.top, 1) << "pose frame " << spriteIndex;
        EXPECT_EQ(box.bottom, 55) << "pose frame " << spriteIndex;
        EXPECT_GE(box.left, 0);
        EXPECT_LE(box.right, 31);
        // The string ends at column 14 of row 0: the top of her head must be there.
        bool headUnderString = false;
        for (int x = 13; x <= 16; ++x) headUnderString |= mask.at(x, 1) == kMaskSolid;
        EXPECT_TRUE(headUnderString) << "pose frame " << spriteIndex;
    }
}

TEST(Character, SwungPosesLeanTheirFeetOutAndKeepTheHeadInPlace) {
    const Image& hanging = assets::imageListFrame(2);
    const Image& right = assets::imageListFrame(4);
    const Image& left = assets::imageListFrame(6);
    const double head = meanOpaqueColumn(hanging, 1, 6);
    const double feet = meanOpaqueColumn(hanging, 50, 55);
    EXPECT_NEAR(head, 15.5, 1.5);
    EXPECT_NEAR(feet, 15.5, 1.5);
    EXPECT_NEAR(meanOpaqueColumn(right, 1, 6), head, 1.0);
    EXPECT_NEAR(meanOpaqueColumn(left, 1, 6), head, 1.0);
    // A few degrees over 55 rows: the feet move by about 3 to 7 pixels.
    EXPECT_GT(meanOpaqueColumn(right, 50, 55) - feet, 3.0);
    EXPECT_LT(meanOpaqueColumn(right, 50, 55) - feet, 7.0);
    EXPECT_GT(feet - meanOpaqueColumn(left, 50, 55), 3.0);
    EXPECT_LT(feet - meanOpaqueColumn(left, 50, 55), 7.0);
}

TEST(Character, RightHandEdgeIsCheckered) {
    // Along the right edge, a near-black pixel sticks out on every other row.
    for (int spriteIndex : kCharacterSprites) {
        const Image& sprite = assets::imageListFrame(spriteIndex);
        const Image& mask = assets::imageListFrame(spriteIndex + 1);
        int checkered = 0;
        for (int y = 2; y < 55; ++y) {
            int x = mask.width - 1;
            while (x >= 0 && mask.at(x, y) == kMaskSeeThrough) --x;
            if (x < 0 || !nearBlack(sprite.at(x, y))) continue;
            if (mask.at(x, y - 1) == kMaskSeeThrough && mask.at(x, y + 1) == kMaskSeeThrough)
                ++checkered;
        }
        EXPECT_GE(checkered, 15) << "pose frame " << spriteIndex;
    }
}

TEST(Pin, CoversRowsTwoToTwelveAndColumnsOneToThirteen) {
    const Box box = opaqueBox(assets::imageListFrame(8));
    EXPECT_EQ(box.top, 2);
    EXPECT_EQ(box.bottom, 12);
    EXPECT_EQ(box.left, 1);
    EXPECT_EQ(box.right, 13);
}

TEST(Pin, IsGoldWithWhiteHighlights) {
    const Image& sprite = assets::imageListFrame(7);
    const Image& mask = assets::imageListFrame(8);
    int gold = 0, white = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            if (mask.at(x, y) != kMaskSolid) continue;
            const uint32_t p = sprite.at(x, y);
            const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
            white += p == kWhite;
            gold += r > 0x90 && g > 0x60 && b < g && g < r;
        }
    EXPECT_GE(white, 3);
    EXPECT_GE(gold, 20);
}

TEST(Icon, IsHerHeadWithTransparency) {
    const Image& icon = assets::icon();
    ASSERT_EQ(icon.width, 32);
    ASSERT_EQ(icon.height, 32);
    int clear = 0, opaque = 0;
    for (uint32_t p : icon.pixels) {
        const uint32_t alpha = p >> 24;
        ASSERT_TRUE(alpha == 0 || alpha == 0xFF) << std::hex << p;
        if (alpha == 0) {
            ++clear;
            EXPECT_EQ(p, 0u);
        } else {
            ++opaque;
        }
    }
    EXPECT_GT(clear, 100);
    EXPECT_GT(opaque, 300);
    // Transparent corners, as a round head and shoulders leave them.
    for (auto [x, y] : {std::pair{0, 0}, {31, 0}, {0, 31}, {31, 31}}) EXPECT_EQ(icon.at(x, y), 0u);
}

TEST(Portrait, IsTheHangingPoseOnATransparentBackground) {
    const Image& portrait = assets::portrait();
    const Image& mask = assets::portraitMask();
    const Image& sprite = assets::imageListFrame(1);
    const Image& spriteMask = assets::imageListFrame(2);
    ASSERT_EQ(portrait.width, 32);
    ASSERT_EQ(portrait.height, 56);
    ASSERT_EQ(mask.width, 32);
    ASSERT_EQ(mask.height, 56);
    for (int y = 0; y < 56; ++y)
        for (int x = 0; x < 32; ++x) {
            ASSERT_EQ(mask.at(x, y), spriteMask.at(x, y)) << x << "," << y;
            if (mask.at(x, y) == kMaskSolid) {
                ASSERT_EQ(portrait.at(x, y), sprite.at(x, y)) << x << "," << y;
            }
        }
}
