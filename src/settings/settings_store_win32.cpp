#include "settings/settings_store.h"

#include <windows.h>

#include <cerrno>
#include <cstring>
#include <fstream>

namespace ruvia::settings {

namespace {

// Longer files are not ours; the first line is all that counts anyway.
constexpr std::streamsize kMaxRead = 4096;

std::wstring wide(const char* utf8) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    std::wstring out(n > 0 ? n - 1 : 0, L'\0');
    if (n > 1) MultiByteToWideChar(CP_UTF8, 0, utf8, -1, out.data(), n);
    return out;
}

}  // namespace

SettingsPath::SettingsPath(const char* utf8) : native_(wide(utf8)) {}

std::string SettingsPath::utf8() const {
    const int n = WideCharToMultiByte(CP_UTF8, 0, native_.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n - 1 : 0, '\0');
    if (n > 1)
        WideCharToMultiByte(CP_UTF8, 0, native_.c_str(), -1, out.data(), n, nullptr, nullptr);
    return out;
}

SettingsPath absoluteSettingsPath(const SettingsPath& file) {
    const DWORD n = GetFullPathNameW(file.native().c_str(), 0, nullptr, nullptr);
    if (n == 0) return file;
    std::wstring full(n, L'\0');
    const DWORD got = GetFullPathNameW(file.native().c_str(), n, full.data(), nullptr);
    if (got == 0 || got >= n) return file;
    full.resize(got);
    return SettingsPath(std::move(full));
}

std::optional<core::SavedPosition> readSavedPosition(const SettingsPath& file) {
    std::ifstream in(file.native().c_str(), std::ios::binary);
    if (!in) return std::nullopt;
    std::string text(kMaxRead, '\0');
    in.read(text.data(), kMaxRead);
    text.resize(static_cast<size_t>(in.gcount()));
    return core::parseSettingsLine(text);
}

std::string writeSavedPosition(const SettingsPath& file, float left, float top) {
    const std::wstring temporary = file.native() + L".new";
    const std::string line = core::formatSettingsLine(left, top);
    std::ofstream out(temporary.c_str(), std::ios::binary | std::ios::trunc);
    if (!out) return "Could not save the mascot's position to " + file.utf8() + ": " + std::strerror(errno);
    out.write(line.data(), static_cast<std::streamsize>(line.size()));
    out.close();
    if (out.fail() || !MoveFileExW(temporary.c_str(), file.native().c_str(), MOVEFILE_REPLACE_EXISTING))
        return "Could not save the mascot's position to " + file.utf8() + ": cannot write";
    return {};
}

}  // namespace ruvia::settings
