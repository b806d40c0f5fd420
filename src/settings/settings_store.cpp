#include "settings/settings_store.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <system_error>

namespace ruvia::settings {

namespace {
// Longer files are not ours; the first line is all that counts anyway.
constexpr std::streamsize kMaxRead = 4096;
}  // namespace

std::optional<core::SavedPosition> readSavedPosition(const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text(kMaxRead, '\0');
    in.read(text.data(), kMaxRead);
    text.resize(static_cast<size_t>(in.gcount()));
    return core::parseSettingsLine(text);
}

std::string writeSavedPosition(const std::filesystem::path& file, float left, float top) {
    std::error_code ec;
    const std::filesystem::path full = std::filesystem::absolute(file, ec);
    const std::filesystem::path target = ec ? file : full;
    const std::filesystem::path temporary = target.string() + ".new";
    bool created = false;
    auto failure = [&](const std::string& what, const std::string& reason) {
        std::error_code ignored;
        if (created) std::filesystem::remove(temporary, ignored);
        return "Could not save the mascot's position to " + target.string() + ": " + what +
               ": " + reason;
    };

    const std::string line = core::formatSettingsLine(left, top);
    errno = 0;
    std::FILE* out = std::fopen(temporary.string().c_str(), "wb");
    if (!out) return failure("cannot create " + temporary.filename().string(), std::strerror(errno));
    created = true;
    const bool written = std::fwrite(line.data(), 1, line.size(), out) == line.size();
    const int writeError = errno;
    const bool closed = std::fclose(out) == 0;
    if (!written || !closed)
        return failure("cannot write", std::strerror(written ? errno : writeError));

    std::filesystem::rename(temporary, target, ec);
    if (ec) return failure("cannot replace the old file", ec.message());
    return {};
}

}  // namespace ruvia::settings
