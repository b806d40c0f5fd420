#include "settings/settings_store.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <system_error>

namespace ruvia::settings {

namespace {

// Longer files are not ours; the first line is all that counts anyway.
constexpr std::streamsize kMaxRead = 4096;

// Messages are UTF-8 everywhere; a path's narrow form is not, on Windows.
std::string utf8(const std::filesystem::path& p) {
    const std::u8string text = p.u8string();
    return {text.begin(), text.end()};
}

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

std::string writeSavedPosition(const std::filesystem::path& file, float left, float top,
                               MissingFolder missing) {
    std::error_code ec;
    const std::filesystem::path full = std::filesystem::absolute(file, ec);
    const std::filesystem::path target = ec ? file : full;
    std::filesystem::path temporary = target;
    temporary += ".new";
    bool created = false;
    auto failure = [&](const std::string& what, const std::string& reason) {
        std::error_code ignored;
        if (created) std::filesystem::remove(temporary, ignored);
        return "Could not save the mascot's position to " + utf8(target) + ": " + what + ": " +
               reason;
    };

    if (missing == MissingFolder::Create) {
        std::filesystem::create_directories(target.parent_path(), ec);
        if (ec) return failure("cannot create its folder", ec.message());
    }
    const std::string line = core::formatSettingsLine(left, top);
    // Streams open paths in the system's own wide form, so any folder name works.
    errno = 0;
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return failure("cannot create " + utf8(temporary.filename()), std::strerror(errno));
    created = true;
    out.write(line.data(), static_cast<std::streamsize>(line.size()));
    out.close();
    if (out.fail()) return failure("cannot write", std::strerror(errno ? errno : EIO));

    std::filesystem::rename(temporary, target, ec);
    if (ec) return failure("cannot replace the old file", ec.message());
    return {};
}

}  // namespace ruvia::settings
