#include "core/settings_line.h"

#include "core/rounding.h"

#include <algorithm>
#include <cstdint>

namespace ruvia::core {

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t'; }
bool isSeparator(char c) { return c == ',' || c == '\r' || c == '\n'; }

// A decimal number ("-12", "1200.5", ".5") rounded half to even, read digit by digit: exact
// where a double would not be, and without the floating-point parser, which alone
// would add a tenth to the size of the Windows program.
std::optional<int32_t> decimalHalfEven(std::string_view text) {
    size_t i = 0;
    const bool negative = i < text.size() && text[i] == '-';
    if (negative) ++i;
    constexpr int64_t kBeyond = int64_t{1} << 32;  // past every 32-bit magnitude
    int64_t whole = 0;
    bool anyDigit = false;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        whole = std::min<int64_t>(whole * 10 + (text[i] - '0'), kBeyond);
        anyDigit = true;
    }
    int firstFractionDigit = 0;  // decides the rounding together with what follows it
    bool restNonZero = false;
    if (i < text.size() && text[i] == '.') {
        for (size_t first = ++i; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
            if (i == first) firstFractionDigit = text[i] - '0';
            else if (text[i] != '0') restNonZero = true;
            anyDigit = true;
        }
    }
    if (!anyDigit || i != text.size()) return std::nullopt;
    const bool up = firstFractionDigit > 5 || (firstFractionDigit == 5 && restNonZero) ||
                    (firstFractionDigit == 5 && whole % 2 == 1);
    const int64_t magnitude = whole + (up ? 1 : 0);
    const int64_t value = negative ? -magnitude : magnitude;
    if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
    return static_cast<int32_t>(value);
}

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
    return decimalHalfEven(field);
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
