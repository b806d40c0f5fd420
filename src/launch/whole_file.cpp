#include "launch/whole_file.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <system_error>

namespace ruvia::launch {

namespace {

std::string utf8(const std::filesystem::path& p) {
    const std::u8string text = p.u8string();
    return {text.begin(), text.end()};
}

}  // namespace

std::string writeWholeFile(const std::filesystem::path& file, std::string_view text) {
    std::error_code ec;
    const std::filesystem::path folder = file.parent_path();
    if (!folder.empty()) {
        std::filesystem::create_directories(folder, ec);
        if (ec) return "cannot create the folder " + utf8(folder) + ": " + ec.message();
    }
    std::filesystem::path temporary = file;
    temporary += ".new";
    errno = 0;
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return "cannot create " + utf8(temporary) + ": " + std::strerror(errno);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (out.fail()) {
        const std::string reason = std::strerror(errno ? errno : EIO);
        std::filesystem::remove(temporary, ec);
        return "cannot write " + utf8(temporary) + ": " + reason;
    }
    std::filesystem::rename(temporary, file, ec);
    if (ec) {
        const std::string reason = ec.message();
        std::filesystem::remove(temporary, ec);
        return "cannot replace " + utf8(file) + ": " + reason;
    }
    return {};
}

}  // namespace ruvia::launch
