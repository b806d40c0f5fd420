// Reading and writing the settings file that keeps the window's position across runs.
#pragma once

#include "core/settings_line.h"

#include <optional>
#include <string>

#ifdef _WIN32
namespace ruvia::settings {

// The file's name as Windows takes it (UTF-16). std::filesystem::path would bring every
// locale facet of the C++ library into the .exe, a third of its size.
class SettingsPath {
public:
    SettingsPath(const char* utf8);  // NOLINT: a name in the forms' own UTF-8
    explicit SettingsPath(std::wstring native) : native_(std::move(native)) {}
    const std::wstring& native() const { return native_; }
    std::string utf8() const;

private:
    std::wstring native_;
};

}  // namespace ruvia::settings
#else
#include <filesystem>
namespace ruvia::settings {
using SettingsPath = std::filesystem::path;
}  // namespace ruvia::settings
#endif

namespace ruvia::settings {

// The full name of `file` in the current directory now, or `file` itself when it cannot be
// had: only a name taken at start can say where a save failed after the folder is gone.
SettingsPath absoluteSettingsPath(const SettingsPath& file);

// The saved position, or nothing when the file is missing, unreadable or not two whole
// numbers. Never throws; the file is closed again whatever happens.
std::optional<core::SavedPosition> readSavedPosition(const SettingsPath& file);

// Whether a save may make the file's folder. One the program chose itself (the user's
// configuration folder) is made at the first save; one the user named or started in must
// exist, and its loss is reported.
enum class MissingFolder { Report, Create };

// Writes the position beside the old file and renames it over, so a failure leaves the
// previous file intact. Returns an empty string on success, otherwise a message that
// names the full path and the system's reason.
std::string writeSavedPosition(const SettingsPath& file, float left, float top,
                               MissingFolder folder = MissingFolder::Report);

}  // namespace ruvia::settings
