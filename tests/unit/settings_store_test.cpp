#include "settings/settings_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

std::string contents(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void put(const std::filesystem::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
}

}  // namespace

using namespace ruvia;

TEST(SettingsStore, RoundTripsInAFolderWithAJapaneseName) {
    const auto dir = std::filesystem::temp_directory_path() / u8"ルビア設定";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const auto file = dir / "pdl_swg.ini";
    EXPECT_EQ(settings::writeSavedPosition(file, 1200.0f, 3450.0f), "");
    EXPECT_EQ(settings::readSavedPosition(file), (core::SavedPosition{1200, 3450}));
    // Nothing but the file itself is left beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir),
                            std::filesystem::directory_iterator()), 1);
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

// What sits beside or behind the settings file is someone else's: the save never writes
// through a planted name, keeps a link the user made and the file's permission bits.
TEST(SettingsStore, NeverWritesThroughPlantedLinksAndKeepsTheUsersOwn) {
    namespace fs = std::filesystem;
    const auto dir = fs::temp_directory_path() / "ruvia-store-links";
    fs::remove_all(dir);
    fs::create_directories(dir / "elsewhere");
    const auto file = dir / "pdl_swg.ini";
    const auto victim = dir / "victim";
    const auto hardVictim = dir / "hard-victim";
    put(victim, "precious");
    put(hardVictim, "precious too");
    for (const char* planted : {"pdl_swg.ini.new", "pdl_swg.ini.tmp", "pdl_swg.ini~"})
        fs::create_symlink(victim, dir / planted);
    fs::create_hard_link(hardVictim, dir / "pdl_swg.ini.XXXXXX");

    EXPECT_EQ(settings::writeSavedPosition(file, 3000.0f, 3000.0f), "");
    EXPECT_EQ(contents(victim), "precious");
    EXPECT_EQ(contents(hardVictim), "precious too");
    EXPECT_FALSE(fs::is_symlink(file));
    EXPECT_EQ(contents(file), "3000,3000\r\n");

    // A private file stays private after a save.
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(settings::writeSavedPosition(file, 15.0f, 30.0f), "");
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);

    // A linked settings file: the link stays and what it points to gets the position.
    const auto real = dir / "elsewhere" / "position.ini";
    put(real, "1,1\r\n");
    fs::remove(file);
    fs::create_symlink("elsewhere/position.ini", file);
    EXPECT_EQ(settings::writeSavedPosition(file, 1200.0f, 3450.0f), "");
    EXPECT_TRUE(fs::is_symlink(file));
    EXPECT_EQ(contents(real), "1200,3450\r\n");
    EXPECT_EQ(settings::readSavedPosition(file), (core::SavedPosition{1200, 3450}));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "elsewhere"), fs::directory_iterator()), 1);
    fs::remove_all(dir);
}
