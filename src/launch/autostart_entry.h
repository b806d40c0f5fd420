// The XDG autostart entry that starts the mascot when the user logs in.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace ruvia::launch {

// The option with which the menu entry and the autostart entry start the program: the
// position is then kept in the user's configuration folder, not in whatever folder the
// session happens to start programs in.
inline constexpr const char* kUserSettingsOption = "--user-settings";

// The entry's text: starts `program` (an absolute path) with `arguments`, by default
// kUserSettingsOption.
std::string autostartEntryText(const std::filesystem::path& program,
                               const std::vector<std::string>& arguments = {
                                   kUserSettingsOption});

// One argument of an entry's Exec key, quoted and escaped as desktop entries require
// (before the key's own string escaping).
std::string execArgument(std::string_view argument);

}  // namespace ruvia::launch
