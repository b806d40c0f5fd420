#include "platform/win32/icon_file.h"

#include <stdexcept>

namespace ruvia::platform::win32 {
namespace {

void put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kDirectorySize = 6;
constexpr uint32_t kEntrySize = 16;

}  // namespace

std::vector<uint8_t> iconImage(const core::Image& argb) {
    const int w = argb.width;
    const int h = argb.height;
    if (w <= 0 || h <= 0 || w > 256 || h > 256)
        throw std::invalid_argument("an icon is 1 to 256 pixels wide and high");
    const uint32_t maskStride = static_cast<uint32_t>((w + 31) / 32 * 4);
    const uint32_t colorBytes = static_cast<uint32_t>(w * h * 4);
    const uint32_t maskBytes = maskStride * static_cast<uint32_t>(h);

    std::vector<uint8_t> out;
    out.reserve(kInfoHeaderSize + colorBytes + maskBytes);
    put32(out, kInfoHeaderSize);
    put32(out, static_cast<uint32_t>(w));
    put32(out, static_cast<uint32_t>(2 * h));  // colour and mask together
    put16(out, 1);                              // planes
    put16(out, 32);                             // bits per pixel
    put32(out, 0);                              // BI_RGB
    put32(out, colorBytes + maskBytes);
    for (int i = 0; i < 4; ++i) put32(out, 0);  // resolution and palette: unused

    for (int y = h - 1; y >= 0; --y)
        for (int x = 0; x < w; ++x) {
            const uint32_t p = argb.at(x, y);
            // A fully transparent pixel carries no colour, so old renderers show nothing.
            put32(out, (p >> 24) == 0 ? 0 : p);
        }
    for (int y = h - 1; y >= 0; --y) {
        std::vector<uint8_t> row(maskStride, 0);
        for (int x = 0; x < w; ++x)
            if ((argb.at(x, y) >> 24) == 0) row[static_cast<size_t>(x / 8)] |= 0x80 >> (x % 8);
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

std::vector<uint8_t> icoFile(const core::Image& argb) {
    const std::vector<uint8_t> image = iconImage(argb);
    std::vector<uint8_t> out;
    put16(out, 0);  // reserved
    put16(out, 1);  // an icon, not a cursor
    put16(out, 1);  // one image
    out.push_back(static_cast<uint8_t>(argb.width == 256 ? 0 : argb.width));
    out.push_back(static_cast<uint8_t>(argb.height == 256 ? 0 : argb.height));
    out.push_back(0);  // no palette
    out.push_back(0);
    put16(out, 1);   // planes
    put16(out, 32);  // bits per pixel
    put32(out, static_cast<uint32_t>(image.size()));
    put32(out, kDirectorySize + kEntrySize);
    out.insert(out.end(), image.begin(), image.end());
    return out;
}

}  // namespace ruvia::platform::win32
