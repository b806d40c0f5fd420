#include "settings/settings_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace ruvia;

TEST(SettingsStore, RoundTripsInAFolderWithAJapaneseName) {
    const auto dir = std::filesystem::temp_directory_path() / u8"ルビア設定";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const auto file = dir / "pdl_swg.ini";
    EXPECT_EQ(settings::writeSavedPosition(file, 1200.0f, 3450.0f), "");
    EXPECT_EQ(settings::readSavedPosition(file), (core::SavedPosition{1200, 3450}));
    EXPECT_FALSE(std::filesystem::exists(dir / "pdl_swg.ini.new"));
    std::filesystem::remove_all(dir);
}

TEST(SettingsStore, AFailedWriteNamesThePathAndTheReason) {
    const auto dir = std::filesystem::temp_directory_path() / "ruvia-store-missing" / "gone";
    std::filesystem::remove_all(dir.parent_path());
    const std::string message = settings::writeSavedPosition(dir / "pdl_swg.ini", 1.0f, 2.0f);
    EXPECT_NE(message.find((dir / "pdl_swg.ini").string()), std::string::npos) << message;
    EXPECT_NE(message.find("No such file or directory"), std::string::npos) << message;
    EXPECT_EQ(settings::readSavedPosition(dir / "pdl_swg.ini"), std::nullopt);
}
