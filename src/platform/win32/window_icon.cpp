#include "platform/win32/window_icon.h"

#include "assets/art.h"

#include <windows.h>

#include <cstring>
#include <vector>

namespace ruvia::platform::win32 {

WindowIcon::WindowIcon() {
    const core::Image& argb = assets::icon();
    const int w = argb.width;
    const int h = argb.height;

    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;  // top-down, like core::Image
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP color = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (color == nullptr) return;
    // Blue, green, red, alpha in memory: exactly the image's 0xAARRGGBB words.
    std::memcpy(bits, argb.pixels.data(), argb.pixels.size() * sizeof(uint32_t));

    // The AND mask, one bit per pixel, rows padded to 16 bits as CreateBitmap wants.
    const int stride = (w + 15) / 16 * 2;
    std::vector<uint8_t> mask(static_cast<size_t>(stride * h), 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if ((argb.at(x, y) >> 24) == 0)
                mask[static_cast<size_t>(y * stride + x / 8)] |= 0x80 >> (x % 8);
    HBITMAP maskBitmap = CreateBitmap(w, h, 1, 1, mask.data());

    if (maskBitmap != nullptr) {
        ICONINFO info{};
        info.fIcon = TRUE;
        info.hbmMask = maskBitmap;
        info.hbmColor = color;
        icon_ = CreateIconIndirect(&info);  // copies both bitmaps
        DeleteObject(maskBitmap);
    }
    DeleteObject(color);
}

WindowIcon::~WindowIcon() {
    if (icon_ != nullptr) DestroyIcon(icon_);
}

}  // namespace ruvia::platform::win32
