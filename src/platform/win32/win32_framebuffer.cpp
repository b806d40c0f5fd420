#include "platform/win32/win32_framebuffer.h"

#include <windows.h>

namespace ruvia::platform::win32 {
namespace {

// Alpha 1, premultiplied, so no colour: invisible, but alpha 0 would let clicks through
// to the window beneath.
constexpr uint32_t kClearButClickable = 0x01000000u;

// A layered window lets clicks through where its alpha is 0: there she is made clear at 1.
core::Image clickableEverywhere(const core::Image& frame) {
    core::Image out = frame;
    for (uint32_t& pixel : out.pixels)
        if (!core::isOpaque(pixel)) pixel = kClearButClickable;
    return out;
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

void Framebuffer::present(HWND window, const core::Image& deviceFrame, Presentation how) {
    frame_.assign(how == Presentation::SeeThrough ? clickableEverywhere(deviceFrame) : deviceFrame);
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
