// A 32-bit xRGB image (0x00RRGGBB per pixel), the pixel format of every surface.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ruvia::core {

constexpr uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) { return (r << 16) | (g << 8) | b; }
constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kWhite = 0xFFFFFF;

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
