#include "platform/win32/kept_placement.h"

#include <windows.h>

namespace ruvia::platform::win32 {

void KeptPlacement::made() {
    keptPlace_.placed(placed_.x, placed_.y);
    keptSize_.asked(placed_.width, placed_.height);
}

void KeptPlacement::place(HWND window, int x, int y) {
    adopt(x, y);
    if (window != nullptr) apply(window, SWP_NOSIZE);
}

void KeptPlacement::size(HWND window, int width, int height) {
    placed_.width = width;
    placed_.height = height;
    keptSize_.asked(width, height);
    if (window != nullptr) apply(window, SWP_NOMOVE);
}

void KeptPlacement::placeAndSize(HWND window, PixelRect rect) {
    placed_ = rect;
    keptPlace_.placed(rect.x, rect.y);
    keptSize_.asked(rect.width, rect.height);
    if (window != nullptr) apply(window, 0);
}

void KeptPlacement::adopt(int x, int y) {
    placed_.x = x;
    placed_.y = y;
    keptPlace_.placed(x, y);
}

void KeptPlacement::sizeReported(HWND window, PixelRect device) {
    // Under Wine a stale report of an earlier size can arrive after the program's own;
    // laying out for it would shrink the mascot for good.
    if (keptSize_.reported(device.width, device.height) == core::SizeReport::PutBack)
        apply(window, SWP_NOMOVE);
}

void KeptPlacement::placeReported(HWND window, PixelRect device, Clock::time_point now) {
    // Wine under load applied a stale place of (0, 0) after the first show.
    switch (keptPlace_.reported(device.x, device.y, now)) {
        case core::PlaceReport::AsPlaced: return;
        case core::PlaceReport::Adopted:  // the user's move, with the window manager's help
            adopt(device.x, device.y);
            return;
        case core::PlaceReport::PutBack: apply(window, SWP_NOSIZE); return;
    }
}

void KeptPlacement::apply(HWND window, unsigned flags) {
    inOwnSetWindowPos_ = true;
    SetWindowPos(window, nullptr, placed_.x, placed_.y, placed_.width, placed_.height,
                 flags | SWP_NOZORDER | SWP_NOACTIVATE);
    inOwnSetWindowPos_ = false;
}

}  // namespace ruvia::platform::win32
