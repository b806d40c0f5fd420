// Win32 backend: a 32-bit top-down DIB section with a memory DC of its own. Its pixels
// are laid out like core::Image's (0xAARRGGBB, rows top to bottom), so frames go in and
// out with a copy. No <windows.h> here.
#pragma once

#include "core/image.h"

#include <cstdint>

struct HBITMAP__;
struct HDC__;

namespace ruvia::platform::win32 {

class DibSurface {
public:
    DibSurface() = default;
    DibSurface(int width, int height);  // throws std::runtime_error when GDI refuses
    ~DibSurface();
    DibSurface(DibSurface&& other) noexcept;
    DibSurface& operator=(DibSurface&& other) noexcept;
    DibSurface(const DibSurface&) = delete;
    DibSurface& operator=(const DibSurface&) = delete;

    int width() const { return width_; }
    int height() const { return height_; }
    bool empty() const { return bits_ == nullptr; }
    HDC__* dc() const { return dc_; }
    HBITMAP__* bitmap() const { return bitmap_; }

    // Takes the image's pixels, first resizing the surface to the image's size.
    void assign(const core::Image& image);
    // Copies width x height pixels from the surface's top-left corner into dst at (0, 0),
    // clipped to both; the top byte, which GDI leaves undefined, is cleared.
    void copyTo(core::Image& dst, int width, int height) const;

private:
    void release();

    int width_ = 0;
    int height_ = 0;
    uint32_t* bits_ = nullptr;
    HBITMAP__* bitmap_ = nullptr;
    HDC__* dc_ = nullptr;
    void* previous_ = nullptr;  // the DC's bitmap before ours was selected
};

}  // namespace ruvia::platform::win32
