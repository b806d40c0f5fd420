#include "launch/user_paths.h"

namespace ruvia::launch {

std::optional<std::filesystem::path> configHome(const char* xdgConfigHome, const char* home) {
    // A relative XDG_CONFIG_HOME is invalid by the rule and must be ignored.
    if (xdgConfigHome && std::filesystem::path(xdgConfigHome).is_absolute())
        return std::filesystem::path(xdgConfigHome);
    if (home && std::filesystem::path(home).is_absolute())
        return std::filesystem::path(home) / ".config";
    return std::nullopt;
}

std::filesystem::path userSettingsFile(const std::filesystem::path& configHome) {
    return configHome / "ruvia-mascot" / "pdl_swg.ini";
}

std::filesystem::path autostartEntryFile(const std::filesystem::path& configHome) {
    return configHome / "autostart" / "ruvia-mascot.desktop";
}

}  // namespace ruvia::launch
