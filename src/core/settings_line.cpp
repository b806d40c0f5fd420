#include "core/settings_line.h"

#include "core/rounding.h"

#include <charconv>
#include <cmath>
#include <stdexcept>

namespace ruvia::core {

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t'; }
bool isSeparator(char c) { return c == ',' || c == '\r' || c == '\n'; }

// Parses one field starting at `pos`, leaving `pos` just past its separator.
std::optional<int32_t> readField(std::string_view text, size_t& pos) {
    while (pos < text.size() && isSpace(text[pos])) ++pos;
    size_t end = pos;
    while (end < text.size() && !isSeparator(text[end])) ++end;
    std::string_view field = text.substr(pos, end - pos);
    while (!field.empty() && isSpace(field.back())) field.remove_suffix(1);

    pos = end;
    if (pos < text.size()) {
        // A CR LF pair is one line break.
        if (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') ++pos;
        ++pos;
    }

    if (field.empty() || field.size() > 32) return std::nullopt;
    for (char c : field)
        if (!(c == '-' || c == '.' || (c >= '0' && c <= '9'))) return std::nullopt;
    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(field.data(), field.data() + field.size(), value,
                                           std::chars_format::fixed);
    if (ec != std::errc() || ptr != field.data() + field.size() || !std::isfinite(value))
        return std::nullopt;
    try {
        return roundHalfEven(value);
    } catch (const std::overflow_error&) {
        return std::nullopt;
    }
}

}  // namespace

std::optional<SavedPosition> parseSettingsLine(std::string_view text) {
    // Notepad puts a UTF-8 byte-order mark before the text when a user edits the file.
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    size_t pos = text.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
    const auto left = readField(text, pos);
    if (!left) return std::nullopt;
    // A file that ends after the first field has no second one, whatever follows.
    if (pos >= text.size()) return std::nullopt;
    const auto top = readField(text, pos);
    if (!top) return std::nullopt;
    return SavedPosition{*left, *top};
}

std::string formatSettingsLine(float left, float top) {
    return std::to_string(roundHalfEven(left)) + "," + std::to_string(roundHalfEven(top)) +
           "\r\n";
}

}  // namespace ruvia::core
