// The one line of the settings file: the window's Left and Top in twips, "1200,3450\r\n".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ruvia::core {

struct SavedPosition {
    int32_t left = 0;  // twips
    int32_t top = 0;
    friend bool operator==(const SavedPosition&, const SavedPosition&) = default;
};

// Reads the first two fields (after a UTF-8 byte-order mark, if any), separated by a comma or a line break; the rest is ignored.
// A field may carry spaces around it and a fraction, which is rounded half to even.
// Anything else (junk, an empty or missing field, a value outside 32 bits) gives nothing.
std::optional<SavedPosition> parseSettingsLine(std::string_view text);

// "Left,Top" and CR LF. Window positions are whole twips; a fraction is rounded.
std::string formatSettingsLine(float left, float top);

}  // namespace ruvia::core
