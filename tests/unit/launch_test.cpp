#include "launch/autostart_entry.h"
#include "launch/mascot_surface.h"
#include "launch/options.h"
#include "launch/user_paths.h"
#include "launch/whole_file.h"
#include "settings/settings_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace ruvia;

TEST(Launch, ConfigHomeFollowsTheXdgRule) {
    struct Case {
        const char* xdg;
        const char* home;
        std::optional<std::filesystem::path> want;
    };
    const Case cases[] = {
        {"/cfg", "/home/u", "/cfg"},
        {nullptr, "/home/u", "/home/u/.config"},
        {"", "/home/u", "/home/u/.config"},
        {"relative/cfg", "/home/u", "/home/u/.config"},  // relative: ignored
        {nullptr, nullptr, std::nullopt},
        {nullptr, "not/absolute", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(launch::configHome(c.xdg, c.home), c.want)
            << (c.xdg ? c.xdg : "(unset)") << " / " << (c.home ? c.home : "(unset)");
    }
    EXPECT_EQ(launch::userSettingsFile("/cfg"), "/cfg/ruvia-mascot/pdl_swg.ini");
    EXPECT_EQ(launch::autostartEntryFile("/cfg"), "/cfg/autostart/ruvia-mascot.desktop");
}

TEST(Launch, OptionsAreDecidedTogetherInOneOrder) {
    using launch::Action;
    using launch::SettingsPlace;
    struct Case {
        launch::GivenOptions given;
        Action action;
        SettingsPlace settings;
        std::string reason;
    };
    const std::string contradict = "--autostart and --no-autostart contradict each other.";
    const std::string twoPlaces = "--settings and --user-settings name two places; give one.";
    const Case cases[] = {
        {{}, Action::Run, SettingsPlace::CurrentDirectory, ""},
        {{.help = true, .version = true, .autostart = true, .noAutostart = true},
         Action::ShowHelp, SettingsPlace::CurrentDirectory, ""},
        {{.version = true, .settings = true, .userSettings = true}, Action::ShowVersion,
         SettingsPlace::CurrentDirectory, ""},
        {{.settings = true, .userSettings = true, .autostart = true, .noAutostart = true},
         Action::Refuse, SettingsPlace::CurrentDirectory, contradict},
        {{.settings = true, .settingsFileEmpty = true, .userSettings = true}, Action::Refuse,
         SettingsPlace::CurrentDirectory, twoPlaces},
        {{.settings = true, .settingsFileEmpty = true, .autostart = true}, Action::Refuse,
         SettingsPlace::CurrentDirectory, "--settings needs a file name."},
        {{.settings = true, .autostart = true}, Action::AddAutostart, SettingsPlace::NamedFile,
         ""},
        {{.userSettings = true, .noAutostart = true}, Action::RemoveAutostart,
         SettingsPlace::UserConfig, ""},
        {{.settings = true, .userSettings = true, .layerShell = true, .noLayerShell = true},
         Action::Refuse, SettingsPlace::CurrentDirectory,
         "--layer-shell and --no-layer-shell contradict each other."},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const launch::OptionsDecision got = launch::decideOptions(cases[i].given);
        EXPECT_EQ(got.action, cases[i].action) << "case " << i;
        EXPECT_EQ(got.settings, cases[i].settings) << "case " << i;
        EXPECT_EQ(got.reason, cases[i].reason) << "case " << i;
    }
    EXPECT_EQ(launch::decideOptions({.layerShell = true}).layerShell, launch::LayerShellWish::Use);
    EXPECT_EQ(launch::decideOptions({.noLayerShell = true}).layerShell,
              launch::LayerShellWish::Avoid);
    EXPECT_EQ(launch::decideOptions({}).layerShell, launch::LayerShellWish::Default);
}

TEST(Launch, TheMascotIsALayerSurfaceWhereXWaylandWouldLoseHerPlace) {
    using launch::LayerShellWish;
    using launch::MascotSurface;
    const std::vector<std::string> swayGlobals{"wl_compositor", "zwlr_layer_shell_v1",
                                               "org_kde_kwin_idle",
                                               "org_kde_kwin_server_decoration_manager"};
    std::vector<std::string> kwinGlobals = swayGlobals;
    kwinGlobals.push_back("org_kde_plasma_shell");
    const std::vector<std::string> westonGlobals{"wl_compositor", "xdg_wm_base", "wl_seat"};
    const launch::CompositorOffer sway = launch::offerOf(swayGlobals);
    const launch::CompositorOffer kwin = launch::offerOf(kwinGlobals);
    const launch::CompositorOffer weston = launch::offerOf(westonGlobals);
    ASSERT_TRUE(sway.layerShell && !sway.kde && kwin.layerShell && kwin.kde && !weston.layerShell);

    struct Case {
        LayerShellWish wish;
        bool wayland, platformChosen;
        const launch::CompositorOffer* offer;
        bool asks;
        MascotSurface surface;
        bool note;
    };
    constexpr auto Default = LayerShellWish::Default, Use = LayerShellWish::Use,
                   Avoid = LayerShellWish::Avoid;
    constexpr auto Layer = MascotSurface::LayerSurface, Window = MascotSurface::ToolkitWindow;
    const Case cases[] = {
        {Default, true, false, &sway, true, Layer, false},
        {Default, true, false, &kwin, true, Window, false},
        {Use, true, false, &kwin, true, Layer, false},
        {Default, true, false, &weston, true, Window, false},
        {Use, true, false, &weston, true, Window, true},
        {Avoid, true, false, &sway, false, Window, false},
        {Default, true, true, &sway, false, Window, false},  // the user's QT_QPA_PLATFORM
        {Use, true, true, &sway, true, Layer, false},
        {Default, false, false, nullptr, false, Window, false},
        {Use, false, false, nullptr, false, Window, true},
        {Default, true, false, nullptr, true, Window, false},  // unreachable: said elsewhere
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        const launch::SurfaceSituation situation{c.wish, c.wayland, c.platformChosen};
        EXPECT_EQ(launch::asksCompositor(situation), c.asks) << "case " << i;
        const launch::SurfaceChoice got = launch::chooseMascotSurface(situation, c.offer);
        EXPECT_EQ(got.surface, c.surface) << "case " << i;
        EXPECT_EQ(*got.note != '\0', c.note) << "case " << i << ": " << got.note;
    }
}

TEST(Launch, ExecArgumentsAreQuotedOnlyWhenTheyMustBe) {
    const std::pair<std::string, std::string> cases[] = {
        {"/usr/bin/ruvia-mascot", "/usr/bin/ruvia-mascot"},
        {"/opt/my apps/ruvia", "\"/opt/my apps/ruvia\""},
        {"/a/$HOME\"x`y\\z", "\"/a/\\$HOME\\\"x\\`y\\\\z\""},
        {"/a/100%", "/a/100%%"},
        {"", "\"\""},
    };
    for (const auto& [argument, want] : cases) EXPECT_EQ(launch::execArgument(argument), want);
}

TEST(Launch, AutostartEntryStartsTheProgramWithItsSettings) {
    const std::string text = launch::autostartEntryText("/opt/my apps/ruvia\\mascot",
                                                        {"--settings", "/home/u/pos.ini"});
    // Quoted for the launcher, then each backslash doubled once more by the value escape.
    EXPECT_NE(text.find("\nExec=\"/opt/my apps/ruvia\\\\\\\\mascot\" --settings "
                        "/home/u/pos.ini\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(text.rfind("[Desktop Entry]\nType=Application\n", 0), 0u);
    EXPECT_NE(launch::autostartEntryText("/usr/bin/ruvia-mascot")
                  .find("\nExec=/usr/bin/ruvia-mascot --user-settings\n"),
              std::string::npos);
}

TEST(Launch, FoldersAreMadeOnlyWhereTheProgramChoseThem) {
    const auto root = std::filesystem::temp_directory_path() / "ruvia-launch-test";
    std::filesystem::remove_all(root);
    const auto entry = root / "cfg" / "autostart" / "ruvia-mascot.desktop";
    EXPECT_EQ(launch::writeWholeFile(entry, "text"), "");
    std::ifstream in(entry);
    std::stringstream got;
    got << in.rdbuf();
    EXPECT_EQ(got.str(), "text");
    EXPECT_FALSE(std::filesystem::exists(entry.string() + ".new"));

    // A configuration "folder" that is a file: one reason, and nothing written.
    std::ofstream(root / "plain") << "x";
    const std::string error = launch::writeWholeFile(root / "plain" / "autostart" / "e", "t");
    EXPECT_NE(error.find((root / "plain").string()), std::string::npos) << error;
    EXPECT_EQ(std::filesystem::file_size(root / "plain"), 1u);

    const auto settings = root / "cfg" / "ruvia-mascot" / "pdl_swg.ini";
    EXPECT_NE(settings::writeSavedPosition(settings, 15.0f, 30.0f), "");
    EXPECT_FALSE(std::filesystem::exists(settings.parent_path()));
    EXPECT_EQ(settings::writeSavedPosition(settings, 15.0f, 30.0f,
                                           settings::MissingFolder::Create),
              "");
    EXPECT_EQ(settings::readSavedPosition(settings), (core::SavedPosition{15, 30}));
    std::filesystem::remove_all(root);
}
