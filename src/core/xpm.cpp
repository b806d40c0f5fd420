#include "core/xpm.h"

#include <charconv>
#include <string>
#include <string_view>
#include <unordered_map>

namespace ruvia::core {

namespace {

[[noreturn]] void fail(size_t line, const std::string& what) {
    throw XpmError("xpm line " + std::to_string(line + 1) + ": " + what);
}

std::vector<std::string_view> words(std::string_view s) {
    std::vector<std::string_view> out;
    size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
        const size_t start = i;
        while (i < s.size() && s[i] != ' ' && s[i] != '\t') ++i;
        if (i > start) out.push_back(s.substr(start, i - start));
    }
    return out;
}

bool parseInt(std::string_view s, int& value) {
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    return ec == std::errc() && end == s.data() + s.size();
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

struct Colour {
    uint32_t rgb = kBlack;
    bool none = false;
};

Colour parseColour(std::string_view value, size_t line) {
    if (equalsNoCase(value, "None")) return {kTransparent, true};
    uint32_t rgb = 0;
    if (value.size() == 7 && value[0] == '#') {
        const auto [end, ec] = std::from_chars(value.data() + 1, value.data() + 7, rgb, 16);
        if (ec == std::errc() && end == value.data() + 7) return {kOpaque | rgb, false};
    }
    fail(line, "colour '" + std::string(value) + "' is neither #RRGGBB nor None");
}

}  // namespace

XpmPicture parseXpm(std::span<const char* const> lines) {
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i] == nullptr) fail(i, "null string");
    if (lines.empty()) throw XpmError("xpm: no values line");

    const auto header = words(lines[0]);
    int width = 0, height = 0, colours = 0, cpp = 0;
    if (header.size() != 4 || !parseInt(header[0], width) || !parseInt(header[1], height) ||
        !parseInt(header[2], colours) || !parseInt(header[3], cpp))
        fail(0, "expected 'width height colours chars-per-pixel'");
    if (width <= 0 || height <= 0 || colours <= 0)
        fail(0, "width, height and colour count must be positive");
    if (cpp != 1 && cpp != 2) fail(0, "only 1 or 2 characters per pixel are supported");
    const size_t expected = 1 + static_cast<size_t>(colours) + static_cast<size_t>(height);
    if (lines.size() != expected)
        throw XpmError("xpm: " + std::to_string(lines.size()) + " strings, the values line asks for " +
                       std::to_string(expected));

    std::unordered_map<std::string_view, Colour> palette;
    for (size_t i = 1; i <= static_cast<size_t>(colours); ++i) {
        const std::string_view text = lines[i];
        if (text.size() < static_cast<size_t>(cpp)) fail(i, "colour line shorter than its key");
        const std::string_view key = text.substr(0, cpp);
        const auto entry = words(text.substr(cpp));
        if (entry.size() != 2 || entry[0] != "c") fail(i, "expected '<key> c <colour>'");
        if (!palette.emplace(key, parseColour(entry[1], i)).second)
            fail(i, "key '" + std::string(key) + "' defined twice");
    }

    XpmPicture picture{Image(width, height), std::vector<uint8_t>(static_cast<size_t>(width) * height)};
    for (int y = 0; y < height; ++y) {
        const size_t line = 1 + static_cast<size_t>(colours) + y;
        const std::string_view row = lines[line];
        if (row.size() != static_cast<size_t>(width) * cpp)
            fail(line, "row has " + std::to_string(row.size()) + " characters, expected " +
                           std::to_string(width * cpp));
        for (int x = 0; x < width; ++x) {
            const std::string_view key = row.substr(static_cast<size_t>(x) * cpp, cpp);
            const auto it = palette.find(key);
            if (it == palette.end())
                fail(line, "unknown key '" + std::string(key) + "' at column " + std::to_string(x));
            picture.image.at(x, y) = it->second.rgb;
            picture.transparent[static_cast<size_t>(y) * width + x] = it->second.none ? 1 : 0;
        }
    }
    return picture;
}

}  // namespace ruvia::core
