// Reads the XPM pictures that are compiled into the program. Only the subset our own
// drawings use: one or two characters per pixel, colours "c #RRGGBB" and "c None".
#pragma once

#include "core/image.h"

#include <cstdint>
#include <span>
#include <stdexcept>
#include <vector>

namespace ruvia::core {

struct XpmPicture {
    Image image;                       // opaque; pixels of "None" are transparent
    std::vector<uint8_t> transparent;  // 1 where the pixel is "None", row by row

    bool isTransparent(int x, int y) const {
        return transparent[static_cast<size_t>(y) * image.width + x] != 0;
    }
};

class XpmError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// `lines` are the strings of the XPM array: the values line, the colour lines, the rows.
// Throws XpmError naming the offending line for anything malformed or unsupported.
XpmPicture parseXpm(std::span<const char* const> lines);

}  // namespace ruvia::core
