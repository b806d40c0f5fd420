// A 32-bit ARGB image (0xAARRGGBB per pixel), the pixel format of every surface. Alpha is
// 0xFF (opaque) or 0x00 (transparent, and then the colour bits are 0 too), so the raster
// operations carry it along with the colour.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ruvia::core {

constexpr uint32_t kOpaque = 0xFF000000u;
constexpr uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) {
    return kOpaque | (r << 16) | (g << 8) | b;
}
constexpr uint32_t kBlack = rgb(0, 0, 0);
constexpr uint32_t kWhite = rgb(0xFF, 0xFF, 0xFF);
// A background with nothing behind it to show: where the desktop is composited, the
// window is see-through there.
constexpr uint32_t kTransparent = 0x00000000u;
// Masks: every bit set where the scene shows through (AND keeps the scene), every bit
// clear where the object covers it (the sprite's opaque pixel is XORed onto zero).
constexpr uint32_t kMaskSeeThrough = 0xFFFFFFFFu;
constexpr uint32_t kMaskSolid = 0x00000000u;

constexpr bool isOpaque(uint32_t pixel) { return (pixel & kOpaque) == kOpaque; }

// Converts the designer's 0x00BBGGRR colour value to an image pixel.
constexpr uint32_t pixelFromColorRef(uint32_t bgr) {
    return rgb(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    Image() = default;
    Image(int w, int h, uint32_t fill = kBlack)
        : width(w), height(h), pixels(static_cast<std::size_t>(w) * h, fill) {}

    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    uint32_t& at(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
    uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
    void fill(uint32_t color) { pixels.assign(pixels.size(), color); }

    friend bool operator==(const Image&, const Image&) = default;
};

}  // namespace ruvia::core
