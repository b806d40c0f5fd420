// Writing a small file all at once, so that a reader never sees half of it.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace ruvia::launch {

// Writes `text` to `file`, creating its folder if needed: written beside it and renamed
// over, so a failure leaves the old file (or none) and nothing half-written. Returns an
// empty string on success, otherwise the reason, naming the path that failed.
std::string writeWholeFile(const std::filesystem::path& file, std::string_view text);

}  // namespace ruvia::launch
