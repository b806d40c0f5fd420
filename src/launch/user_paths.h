// Where a program started from the desktop keeps its files: the XDG base-directory rule.
#pragma once

#include <filesystem>
#include <optional>

namespace ruvia::launch {

// The user's configuration folder: $XDG_CONFIG_HOME when it is an absolute path, else
// $HOME/.config; nothing when neither is usable. Arguments are the variables' values, or
// null when unset.
std::optional<std::filesystem::path> configHome(const char* xdgConfigHome, const char* home);
inline constexpr const char* kNoConfigHome =
    "cannot find your configuration folder: neither XDG_CONFIG_HOME nor HOME is an absolute path";

// The settings file of a program started from the menu: <config>/ruvia-mascot/pdl_swg.ini.
std::filesystem::path userSettingsFile(const std::filesystem::path& configHome);

// The autostart entry: <config>/autostart/ruvia-mascot.desktop.
std::filesystem::path autostartEntryFile(const std::filesystem::path& configHome);

}  // namespace ruvia::launch
