// Reading and writing the settings file that keeps the window's position across runs.
#pragma once

#include "core/settings_line.h"

#include <filesystem>
#include <optional>
#include <string>

namespace ruvia::settings {

// The saved position, or nothing when the file is missing, unreadable or not two whole
// numbers. Never throws; the file is closed again whatever happens.
std::optional<core::SavedPosition> readSavedPosition(const std::filesystem::path& file);

// Whether a save may make the file's folder. One the program chose itself (the user's
// configuration folder) is made at the first save; one the user named or started in must
// exist, and its loss is reported.
enum class MissingFolder { Report, Create };

// Writes the position beside the old file and renames it over, so a failure leaves the
// previous file intact. Returns an empty string on success, otherwise a message that
// names the full path and the system's reason.
std::string writeSavedPosition(const std::filesystem::path& file, float left, float top,
                               MissingFolder folder = MissingFolder::Report);

}  // namespace ruvia::settings
