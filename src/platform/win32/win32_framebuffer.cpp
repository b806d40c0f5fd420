#include "platform/win32/win32_framebuffer.h"

#include <windows.h>

namespace ruvia::platform::win32 {
namespace {

// Alpha 1, premultiplied, so no colour: invisible, but alpha 0 would let clicks through
// to the window beneath.
constexpr uint32_t kClearButClickable = 0x01000000u;

core::Image devicePixels(const core::Image& scene, int factor, Presentation how,
                         const core::Image& background) {
    // A captured background is copied in device pixels, so it stays exact at any scale.
    core::Image device(scene.width * factor, scene.height * factor, core::kBlack);
    for (int y = 0; y < device.height; ++y)
        for (int x = 0; x < device.width; ++x) {
            const uint32_t pixel = scene.at(x / factor, y / factor);
            if (core::isOpaque(pixel)) device.at(x, y) = pixel;
            else if (how == Presentation::SeeThrough) device.at(x, y) = kClearButClickable;
            else if (background.contains(x, y)) device.at(x, y) = background.at(x, y);
            else device.at(x, y) = pixel | core::kOpaque;
        }
    return device;
}

}  // namespace

void Framebuffer::changeOver(HWND window, Presentation how) {
    const bool layered = how == Presentation::SeeThrough;
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_EXSTYLE);
    SetWindowLongPtrW(window, GWL_EXSTYLE,
                      layered ? style | WS_EX_LAYERED : style & ~LONG_PTR{WS_EX_LAYERED});
    // Back to painting: the window asks for its frame again.
    if (!layered) RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void Framebuffer::present(HWND window, const core::Image& scene, int factor, Presentation how,
                          const core::Image& background) {
    frame_.assign(devicePixels(scene, factor, how, background));
    if (window == nullptr || frame_.empty()) return;
    if (how == Presentation::SeeThrough) {
        // Kept by the system while hidden too: the next show shows it.
        POINT source{0, 0};
        SIZE size{frame_.width(), frame_.height()};
        BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        UpdateLayeredWindow(window, nullptr, nullptr, &size, frame_.dc(), &source, 0, &blend,
                            ULW_ALPHA);
        return;
    }
    if (!IsWindowVisible(window)) return;
    HDC dc = GetDC(window);
    if (dc == nullptr) return;
    BitBlt(dc, 0, 0, frame_.width(), frame_.height(), frame_.dc(), 0, 0, SRCCOPY);
    ReleaseDC(window, dc);
}

bool Framebuffer::paint(HWND window) const {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    if (!frame_.empty())
        BitBlt(dc, 0, 0, frame_.width(), frame_.height(), frame_.dc(), 0, 0, SRCCOPY);
    EndPaint(window, &ps);
    return IsRectEmpty(&ps.rcPaint) == FALSE;
}

}  // namespace ruvia::platform::win32
