#include "core/settings_line.h"

#include <gtest/gtest.h>

using namespace ruvia::core;

TEST(SettingsLine, ReadsTheFirstTwoFields) {
    const std::pair<std::string, std::optional<SavedPosition>> cases[] = {
        {"1200,3450\r\n", SavedPosition{1200, 3450}},
        {"1200,3450", SavedPosition{1200, 3450}},
        {"0,3450\r\n", SavedPosition{0, 3450}},
        {"-150,3450\r\n", SavedPosition{-150, 3450}},
        {"1200,-300\r\n", SavedPosition{1200, -300}},
        {"1200\r\n3450\r\n", SavedPosition{1200, 3450}},
        {"1200\n3450", SavedPosition{1200, 3450}},
        {" 1200 , 3450 \r\n", SavedPosition{1200, 3450}},
        {"1200,3450,77\r\njunk", SavedPosition{1200, 3450}},
        {"1200.5,3451.5\r\n", SavedPosition{1200, 3452}},  // fractions round half to even
        {"2147483647,-2147483648", SavedPosition{2147483647, INT32_MIN}},
        {"\xEF\xBB\xBF" "1200,3450\r\n", SavedPosition{1200, 3450}},  // saved by Notepad
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(parseSettingsLine(text), expected) << text;
}

TEST(SettingsLine, AnythingButTwoWholeNumbersCountsAsAbsent) {
    const std::string cases[] = {
        "",           "1200",       "1200\r\n",      "1200,",         "1200,\r\n",
        ",3450",      "abc",        "12ab,3450",     "1200,34x",      "1e3,5",
        "2147483648,0", "0,-2147483649", "99999999999999999999,1", "--1,2", "1-2,3",
        std::string("\0\x01\xff,\x89PNG", 9), "nan,1", "inf,1", "+,1",
        "\xEF\xBB\xBF", "\xEF\xBB" "1200,3450", "\xEF\xBB\xBF\xEF\xBB\xBF" "1,2",
    };
    for (const std::string& text : cases) EXPECT_EQ(parseSettingsLine(text), std::nullopt) << text;
}

TEST(SettingsLine, WritesWholeTwipsWithCrLfAndReadsBack) {
    EXPECT_EQ(formatSettingsLine(1200.0f, 3450.0f), "1200,3450\r\n");
    EXPECT_EQ(formatSettingsLine(0.0f, -300.0f), "0,-300\r\n");
    for (const auto& [l, t] : {std::pair{1200, 3450}, std::pair{-15, 0}, std::pair{27345, -90}})
        EXPECT_EQ(parseSettingsLine(formatSettingsLine(l, t)), (SavedPosition{l, t}));
}
