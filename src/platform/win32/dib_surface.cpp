#include "platform/win32/dib_surface.h"

#include "platform/win32/system_error.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <utility>

namespace ruvia::platform::win32 {

DibSurface::DibSurface(int width, int height) : width_(width), height_(height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // negative: rows top to bottom, as in core::Image
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap_ == nullptr)
        throw std::runtime_error("cannot create a " + std::to_string(width) + " x " +
                                 std::to_string(height) + " bitmap: " + lastErrorText());
    bits_ = static_cast<uint32_t*>(bits);
    dc_ = CreateCompatibleDC(nullptr);
    if (dc_ == nullptr) {
        release();
        throw std::runtime_error("cannot create a memory device context: " + lastErrorText());
    }
    previous_ = SelectObject(dc_, bitmap_);
}

DibSurface::~DibSurface() { release(); }

DibSurface::DibSurface(DibSurface&& other) noexcept { *this = std::move(other); }

DibSurface& DibSurface::operator=(DibSurface&& other) noexcept {
    if (this != &other) {
        release();
        width_ = std::exchange(other.width_, 0);
        height_ = std::exchange(other.height_, 0);
        bits_ = std::exchange(other.bits_, nullptr);
        bitmap_ = std::exchange(other.bitmap_, nullptr);
        dc_ = std::exchange(other.dc_, nullptr);
        previous_ = std::exchange(other.previous_, nullptr);
    }
    return *this;
}

void DibSurface::release() {
    if (dc_ != nullptr) {
        SelectObject(dc_, previous_);
        DeleteDC(dc_);
    }
    if (bitmap_ != nullptr) DeleteObject(bitmap_);
    dc_ = nullptr;
    bitmap_ = nullptr;
    bits_ = nullptr;
    previous_ = nullptr;
    width_ = height_ = 0;
}

void DibSurface::assign(const core::Image& image) {
    if (image.width <= 0 || image.height <= 0) return;
    if (image.width != width_ || image.height != height_)
        *this = DibSurface(image.width, image.height);
    // Nothing may draw into the section behind GDI's back while it batches calls.
    GdiFlush();
    std::memcpy(bits_, image.pixels.data(), image.pixels.size() * sizeof(uint32_t));
}

void DibSurface::copyTo(core::Image& dst, int width, int height) const {
    GdiFlush();
    const int w = std::min({width, width_, dst.width});
    const int h = std::min({height, height_, dst.height});
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            dst.at(x, y) = bits_[static_cast<size_t>(y) * width_ + x] | 0xFF000000u;
}

}  // namespace ruvia::platform::win32
