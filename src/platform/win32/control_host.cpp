#include "platform/win32/control_host.h"

#include "platform/win32/system_error.h"
#include "platform/win32/wide_text.h"

#include <windows.h>
#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <stdexcept>

namespace ruvia::platform::win32 {
namespace {

COLORREF colorRef(uint32_t pixel) {
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

// The pixels of a line from `from` up to, not including, `to`, stepped along the longer
// axis: the same pixels on every backend.
std::vector<POINT> linePixels(PixelPoint from, PixelPoint to) {
    const int dx = to.x - from.x;
    const int dy = to.y - from.y;
    const int steps = std::max(std::abs(dx), std::abs(dy));
    std::vector<POINT> out;
    for (int i = 0; i < steps; ++i)
        out.push_back({from.x + static_cast<LONG>(std::lround(double(dx) * i / steps)),
                       from.y + static_cast<LONG>(std::lround(double(dy) * i / steps))});
    return out;
}

}  // namespace

ControlHost::ControlHost(HWND__* window, uint32_t backColor, const MenuScale& scale)
    : window_(window), scale_(scale) {
    setBackColor(backColor);
}

ControlHost::~ControlHost() {
    for (auto& c : controls_) {
        if (c->hwnd != nullptr) DestroyWindow(c->hwnd);
        if (c->brush != nullptr) DeleteObject(c->brush);
    }
    if (backBrush_ != nullptr) DeleteObject(backBrush_);
}

void ControlHost::setBackColor(uint32_t pixel) {
    if (backBrush_ != nullptr) DeleteObject(backBrush_);
    backBrush_ = CreateSolidBrush(colorRef(pixel));
    InvalidateRect(window_, nullptr, TRUE);
}

ControlHost::Control& ControlHost::add(Kind kind, PixelRect design, unsigned long style,
                                       const wchar_t* text) {
    auto control = std::make_unique<Control>();
    control->kind = kind;
    control->design = design;
    const PixelRect rect = control->rect = scale_.deviceRect(design);
    // Siblings clip each other, so overlapping controls show in their stacking order.
    control->hwnd = CreateWindowExW(0, L"STATIC", text,
                                    WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, rect.x,
                                    rect.y, rect.width, rect.height, window_, nullptr,
                                    GetModuleHandleW(nullptr), nullptr);
    if (control->hwnd == nullptr)
        throw std::runtime_error("cannot create a menu control: " + lastErrorText());
    SetWindowPos(control->hwnd, HWND_BOTTOM, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    controls_.push_back(std::move(control));
    return *controls_.back();
}

void ControlHost::addPicture(PixelRect rect, const core::Image& picture, uint32_t backColor) {
    Control& c = add(Kind::Picture, rect, SS_OWNERDRAW, L"");
    c.art = picture;
    c.picture.assign(blownUp(picture, scale_.display.factor));
    recolor(c, backColor);
}

void ControlHost::addLine(PixelPoint from, PixelPoint to, uint32_t color) {
    Control& c = add(Kind::Line, {from.x, from.y, 1, 1}, SS_OWNERDRAW, L"");
    c.from = from;
    c.to = to;
    recolor(c, color);
    shapeLine(c);
}

// Stepped in scene pixels, each drawn as a factor x factor block, and shaped to those
// pixels, so what lies beneath shows beside a slanting line.
void ControlHost::shapeLine(Control& c) {
    const int f = scale_.display.factor;
    const std::vector<POINT> pixels =
        linePixels({scale_.scenePixels(c.from.x), scale_.scenePixels(c.from.y)},
                   {scale_.scenePixels(c.to.x), scale_.scenePixels(c.to.y)});
    if (pixels.empty()) {
        ShowWindow(c.hwnd, SW_HIDE);
        return;
    }
    LONG left = pixels[0].x, top = pixels[0].y, right = left, bottom = top;
    for (const POINT& p : pixels) {
        left = std::min(left, p.x);
        top = std::min(top, p.y);
        right = std::max(right, p.x);
        bottom = std::max(bottom, p.y);
    }
    c.rect = {static_cast<int>(left) * f, static_cast<int>(top) * f,
              static_cast<int>(right - left + 1) * f, static_cast<int>(bottom - top + 1) * f};
    SetWindowPos(c.hwnd, nullptr, c.rect.x, c.rect.y, c.rect.width, c.rect.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    HRGN shape = CreateRectRgn(0, 0, 0, 0);
    for (const POINT& p : pixels) {
        const int x = static_cast<int>(p.x - left) * f, y = static_cast<int>(p.y - top) * f;
        HRGN dot = CreateRectRgn(x, y, x + f, y + f);
        CombineRgn(shape, shape, dot, RGN_OR);
        DeleteObject(dot);
    }
    SetWindowRgn(c.hwnd, shape, TRUE);  // the window owns the region from here on
}

void ControlHost::place(Control& c) {
    if (c.kind == Kind::Line) {
        shapeLine(c);
        return;
    }
    c.rect = scale_.deviceRect(c.design);
    SetWindowPos(c.hwnd, nullptr, c.rect.x, c.rect.y, c.rect.width, c.rect.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    if (c.kind == Kind::Picture) c.picture.assign(blownUp(c.art, scale_.display.factor));
}

void ControlHost::setScale(const MenuScale& scale, HFONT__* font) {
    scale_ = scale;
    for (auto& c : controls_) {
        place(*c);
        if (c->kind == Kind::Label && font != nullptr)
            SendMessageW(c->hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

LabelId ControlHost::addLabel(PixelRect rect, const std::string& utf8, uint32_t fore,
                              uint32_t back, LabelBackground background, HFONT__* font) {
    // Without SS_NOTIFY a static lets the mouse through to this window, which hit-tests.
    Control& c = add(Kind::Label, rect, SS_LEFT | SS_NOPREFIX, widen(utf8).c_str());
    c.label = static_cast<LabelId>(labels_.size());
    c.fore = fore;
    c.opaque = background == LabelBackground::Opaque;
    recolor(c, back);
    if (font != nullptr) SendMessageW(c.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    labels_.push_back(&c);
    return c.label;
}

ControlHost::Control& ControlHost::label(LabelId id) {
    if (id < 0 || static_cast<size_t>(id) >= labels_.size())
        throw std::out_of_range("no menu label " + std::to_string(id));
    return *labels_[static_cast<size_t>(id)];
}

void ControlHost::setLabelCaption(LabelId id, const std::string& utf8) {
    Control& c = label(id);
    SetWindowTextW(c.hwnd, widen(utf8).c_str());
    redraw(c);
}

void ControlHost::setLabelColors(LabelId id, uint32_t fore, uint32_t back) {
    Control& c = label(id);
    c.fore = fore;
    recolor(c, back);
    redraw(c);
}

void ControlHost::recolor(Control& c, uint32_t back) {
    if (c.brush != nullptr) DeleteObject(c.brush);
    c.back = back;
    c.brush = CreateSolidBrush(colorRef(back));
}

void ControlHost::redraw(const Control& c) {
    // Through this window: a transparent label shows what lies beneath it, so that is
    // painted again first.
    const RECT r{c.rect.x, c.rect.y, c.rect.x + c.rect.width, c.rect.y + c.rect.height};
    RedrawWindow(window_, &r, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

ControlHost::Control* ControlHost::find(HWND hwnd) {
    for (auto& c : controls_)
        if (c->hwnd == hwnd) return c.get();
    return nullptr;
}

const ControlHost::Control* ControlHost::controlAt(int x, int y) const {
    for (const auto& c : controls_) {
        if (c->kind == Kind::Line) continue;  // a line is no mouse target
        const PixelRect& r = c->rect;
        if (x >= r.x && y >= r.y && x < r.x + r.width && y < r.y + r.height) return c.get();
    }
    return nullptr;
}

bool ControlHost::handle(unsigned message, WParam wParam, LParam lParam, MessageResult& result) {
    switch (message) {
    case WM_ERASEBKGND: {
        RECT r;
        GetClientRect(window_, &r);
        FillRect(reinterpret_cast<HDC>(wParam), &r, backBrush_);
        result = 1;
        return true;
    }
    case WM_CTLCOLORSTATIC: {
        Control* c = find(reinterpret_cast<HWND>(lParam));
        if (c == nullptr) return false;
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, colorRef(c->fore));
        if (c->opaque) {
            SetBkMode(dc, OPAQUE);
            SetBkColor(dc, colorRef(c->back));
            result = reinterpret_cast<MessageResult>(c->brush);
        } else {
            SetBkMode(dc, TRANSPARENT);
            result = reinterpret_cast<MessageResult>(GetStockObject(NULL_BRUSH));
        }
        return true;
    }
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        Control* c = find(item->hwndItem);
        if (c == nullptr) return false;
        FillRect(item->hDC, &item->rcItem, c->brush);
        if (c->kind == Kind::Picture && !c->picture.empty())
            BitBlt(item->hDC, 0, 0, c->picture.width(), c->picture.height(), c->picture.dc(), 0,
                   0, SRCCOPY);
        result = TRUE;
        return true;
    }
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
        const Control* c = controlAt(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        if (c != nullptr && c->kind == Kind::Label) {
            if (message == WM_MOUSEMOVE) {
                if (onLabelMouseMove) onLabelMouseMove(c->label);
            } else if (onLabelMouseDown) {
                const MouseButton button = message == WM_LBUTTONDOWN   ? MouseButton::Left
                                           : message == WM_RBUTTONDOWN ? MouseButton::Right
                                                                       : MouseButton::Middle;
                onLabelMouseDown(c->label, button);
            }
        }
        result = 0;
        return true;
    }
    default:
        return false;
    }
}

}  // namespace ruvia::platform::win32
