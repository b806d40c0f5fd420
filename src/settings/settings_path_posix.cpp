#include "settings/settings_store.h"

#include <system_error>

namespace ruvia::settings {

SettingsPath absoluteSettingsPath(const SettingsPath& file) {
    std::error_code ec;
    SettingsPath full = std::filesystem::absolute(file, ec);
    return ec ? file : full;
}

}  // namespace ruvia::settings
