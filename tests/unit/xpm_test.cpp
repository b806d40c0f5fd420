#include "core/xpm.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace ruvia::core;

TEST(Xpm, ReadsColoursAndTransparencyWithOneCharacterPerPixel) {
    const char* const xpm[] = {"3 2 3 1", "  c None", "a c #FF8000", "b c #0000fe", "ab ", " ba"};
    const XpmPicture p = parseXpm(xpm);
    ASSERT_EQ(p.image.width, 3);
    ASSERT_EQ(p.image.height, 2);
    EXPECT_EQ(p.image.pixels, (std::vector<uint32_t>{0xFFFF8000, 0xFF0000FE, kTransparent, kTransparent, 0xFF0000FE, 0xFFFF8000}));
    EXPECT_EQ(p.transparent, (std::vector<uint8_t>{0, 0, 1, 1, 0, 0}));
    EXPECT_TRUE(p.isTransparent(2, 0));
    EXPECT_FALSE(p.isTransparent(2, 1));
}

TEST(Xpm, ReadsTwoCharactersPerPixelAndAnyCaseOfNone) {
    const char* const xpm[] = {"2 1 2 2", "..\tc\tNONE", ".a c #000006", ".a.."};
    const XpmPicture p = parseXpm(xpm);
    EXPECT_EQ(p.image.pixels, (std::vector<uint32_t>{0xFF000006, kTransparent}));
    EXPECT_EQ(p.transparent, (std::vector<uint8_t>{0, 1}));
}

TEST(Xpm, RejectsMalformedPicturesWithAMessageNamingTheLine) {
    struct Case {
        const char* name;
        std::vector<const char*> lines;
        const char* message;  // part of the expected message
    };
    const Case cases[] = {
        {"empty", {}, "no values line"},
        {"header not numbers", {"a b c d"}, "line 1"},
        {"header too short", {"1 1 1", "a c #000000", "a"}, "line 1"},
        {"zero width", {"0 1 1 1", "a c #000000", ""}, "positive"},
        {"three chars per pixel", {"1 1 1 3", "aaa c #000000", "aaa"}, "1 or 2"},
        {"too few rows", {"1 2 1 1", "a c #000000", "a"}, "asks for 4"},
        {"too many rows", {"1 1 1 1", "a c #000000", "a", "a"}, "asks for 3"},
        {"null row", {"1 1 1 1", "a c #000000", nullptr}, "line 3: null"},
        {"short hex", {"1 1 1 1", "a c #00000", "a"}, "line 2"},
        {"bad hex digit", {"1 1 1 1", "a c #00G000", "a"}, "#00G000"},
        {"named colour", {"1 1 1 1", "a c red", "a"}, "red"},
        {"mono key", {"1 1 1 1", "a m #000000", "a"}, "line 2"},
        {"extra words", {"1 1 1 1", "a c #000000 s x", "a"}, "line 2"},
        {"duplicate key", {"1 1 2 1", "a c #000000", "a c None", "a"}, "twice"},
        {"row too short", {"2 1 1 1", "a c #000000", "a"}, "line 3"},
        {"row too long", {"1 1 1 1", "a c #000000", "aa"}, "line 3"},
        {"unknown key", {"2 1 1 1", "a c #000000", "ab"}, "'b' at column 1"},
    };
    for (const Case& c : cases) {
        try {
            parseXpm(c.lines);
            ADD_FAILURE() << c.name << ": no error";
        } catch (const XpmError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos)
                << c.name << ": " << e.what();
        }
    }
}
