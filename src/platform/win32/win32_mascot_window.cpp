#include "platform/win32/win32_mascot_window.h"

#include "core/rounding.h"
#include "platform/win32/activation_relay.h"
#include "platform/win32/move_loop.h"
#include "platform/win32/stay_on_top.h"

#include <windows.h>
#include <windowsx.h>

#include <algorithm>
#include <utility>

namespace ruvia::platform::win32 {
namespace {

constexpr UINT kPaintRequested = WM_APP + 1;  // a repaint, run from the message loop
constexpr UINT kSizeChanged = WM_APP + 2;
constexpr UINT kScaleChanged = WM_APP + 3;  // the dpi changed: lay out anew
constexpr UINT kMoved = WM_APP + 4;

// WS_EX_APPWINDOW keeps the window managed by the window manager under Wine, which the
// always-on-top state needs; WS_EX_NOACTIVATE keeps captures from taking the focus.
constexpr DWORD kExStyle = WS_EX_APPWINDOW | WS_EX_NOACTIVATE;

MouseButton buttonOf(unsigned message) {
    switch (message) {
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
        return MouseButton::Right;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
        return MouseButton::Middle;
    default:
        return MouseButton::Left;
    }
}

POINT screenPoint(HWND hwnd, LPARAM lParam) {
    POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ClientToScreen(hwnd, &p);
    return p;
}

}  // namespace

Win32MascotWindow::Win32MascotWindow(const ActivationRelay& activation, HICON__* icon,
                                     SurroundingsCallbacks surroundings)
    : activation_(activation), icon_(icon), surroundings_(std::move(surroundings)) {}

Win32MascotWindow::~Win32MascotWindow() {
    if (hwnd_ != nullptr) DestroyWindow(hwnd_);
}

void Win32MascotWindow::create() {
    const PixelRect at = placement_.rect();
    hwnd_ = createHandledWindow({.className = L"RuviaMascotWindow",
                                 .style = WS_POPUP,
                                 .exStyle = kExStyle | (layered_ ? WS_EX_LAYERED : 0u),
                                 .x = at.x,
                                 .y = at.y,
                                 .width = at.width,
                                 .height = at.height,
                                 .title = L"RuviaMascot",
                                 .icon = icon_},
                                *this);
    scale_ = displayScaleFor(dpiOfWindow(hwnd_));
    placement_.made();
}

HWND__* Win32MascotWindow::ensureCreated() {
    if (hwnd_ == nullptr) create();
    return hwnd_;
}

PixelRect Win32MascotWindow::deviceRect() const {
    if (hwnd_ == nullptr) return placement_.rect();
    RECT r{};
    GetWindowRect(hwnd_, &r);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

DisplayScale Win32MascotWindow::scale() const {
    return hwnd_ != nullptr ? scale_ : displayScaleFor(dpiAt(placement_.rect()));
}

PixelRect Win32MascotWindow::geometry() const {
    const PixelRect d = deviceRect();
    const int f = scale().factor;
    return {core::floorDiv(d.x, f), core::floorDiv(d.y, f), d.width / f, d.height / f};
}

void Win32MascotWindow::move(int x, int y) {
    // A scene pixel that is not changed keeps its device pixel: at factor 2 the window
    // may stand at an odd one, and a hold that changes nothing must not move it.
    const PixelRect now = geometry();
    const PixelRect device = deviceRect();  // the user may have moved it meanwhile
    const int f = scale().factor;
    placement_.place(hwnd_, x != now.x ? x * f : device.x, y != now.y ? y * f : device.y);
}

void Win32MascotWindow::resize(int width, int height) {
    const PixelRect now = geometry();
    const bool changed = width != now.width || height != now.height;
    const int f = scale().factor;
    placement_.size(hwnd_, width * f, height * f);
    if (changed && events.resize) events.resize();
}

void Win32MascotWindow::dpiChanged(int dpi, const RECT& suggested) {
    // The window keeps its size in twips: the layout runs anew for the height that
    // gives, so moving back and forth between monitors never makes her grow.
    const DisplayScale before = scale_;
    const DisplayScale after = displayScaleFor(dpi);
    scale_ = after;
    const PixelRect old = deviceRect();
    const auto [width, height] = core::sizeOnOtherScale({old.width, old.height}, before, after);
    // The pin is at the top centre: keeping that point where the system put it keeps
    // the pin under the pointer that drags it.
    const int centre = (suggested.left + suggested.right) / 2;
    const int top = suggested.top;
    placement_.placeAndSize(hwnd_, {centre - width / 2, top, width, height});
    // Laid out and captured anew from the message loop: not inside the move loop.
    PostMessageW(hwnd_, kScaleChanged, 0, 0);
}

void Win32MascotWindow::show() {
    ensureCreated();
    if (IsWindowVisible(hwnd_)) return;
    showPaints_.shown(Clock::now());
    placement_.shown(Clock::now());
    ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
    // The show's repaint, if it is due already, is handled (and swallowed) right here.
    UpdateWindow(hwnd_);
}

void Win32MascotWindow::hide() {
    if (!isVisible()) return;
    ShowWindow(hwnd_, SW_HIDE);
    capture_.hidden();
}

bool Win32MascotWindow::isVisible() const {
    return hwnd_ != nullptr && IsWindowVisible(hwnd_) != FALSE;
}

Presentation Win32MascotWindow::adoptPresentation() {
    const bool seeThrough = presentation_.seeThrough();
    if (seeThrough != layered_) {
        layered_ = seeThrough;
        if (hwnd_ != nullptr) Framebuffer::changeOver(hwnd_, presentation());
    }
    return presentation();
}

Presentation Win32MascotWindow::presentation() const {
    return layered_ ? Presentation::SeeThrough : Presentation::Captured;
}

void Win32MascotWindow::present(const core::Image& deviceFrame) {
    framebuffer_.present(hwnd_, deviceFrame, presentation());
}

bool Win32MascotWindow::copyScreenBehind(core::Capture& into, int width, int height) {
    if (width <= 0 || height <= 0) return false;
    capture_.waitUntilOffScreen(hwnd_);
    const PixelRect at = deviceRect();
    const int f = scale().factor;
    core::Image device;
    if (!ScreenCapture::read({at.x, at.y, width * f, height * f}, device)) return false;
    into = {std::move(device), f};
    return true;
}

void Win32MascotWindow::runMoveLoop() {
    const PixelRect before = deviceRect();
    const PixelPoint pressedAt = press_ ? press_->screen : pointerPosition();
    inMoveLoop_ = true;
    const PixelPoint releasedAt = runSystemMoveLoop(hwnd_);
    inMoveLoop_ = false;
    // The release ended the move; it is neither a mouse-up nor a click of the form's.
    press_.reset();
    clicks_.forget();
    waitUntilAt(hwnd_, {before.x + releasedAt.x - pressedAt.x,
                        before.y + releasedAt.y - pressedAt.y});
    // Where the user put it is the program's place from now on.
    const PixelRect moved = deviceRect();
    placement_.adopt(moved.x, moved.y);
}

bool Win32MascotWindow::setStayOnTop(bool on) { return setTopmost(ensureCreated(), on); }

MessageResult Win32MascotWindow::onMessage(HWND hwnd, unsigned message, WParam wParam,
                                           LParam lParam) {
    if (MessageResult result = 0; surroundings_.handle(hwnd, message, wParam, result))
        return result;
    switch (message) {
    case WM_PAINT:
        painted();
        return 0;
    case WM_ERASEBKGND:
        return 1;  // the frame covers every pixel
    case kPaintRequested:
        paintQueued_ = false;
        if (IsWindowVisible(hwnd) && events.paint) events.paint();
        return 0;
    case WM_SIZE:
        if (!placement_.settingItself()) PostMessageW(hwnd, kSizeChanged, 0, 0);
        break;
    case WM_MOVE:
        if (!placement_.settingItself() && !inMoveLoop_) PostMessageW(hwnd, kMoved, 0, 0);
        break;
    case kMoved:
        placement_.placeReported(hwnd, deviceRect(), Clock::now());
        return 0;
    case kSizeChanged:
        placement_.sizeReported(hwnd, deviceRect());
        return 0;
    case WM_DPICHANGED:
        dpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        // A drag onto a monitor of another scale changes no screen, and its drop holds
        // her itself; otherwise a monitor's scale may have changed under her.
        if (!inMoveLoop_) surroundings_.screensMayHaveChanged(hwnd);
        return 0;
    case kScaleChanged:
        if (events.resize) events.resize();
        return 0;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_NCLBUTTONDOWN:
        if (wParam == HTCAPTION) {
            // Straight to the move: the default handling would activate the window first.
            DefWindowProcW(hwnd, WM_SYSCOMMAND, SC_MOVE | HTCAPTION, lParam);
            return 0;
        }
        break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        pressed(buttonOf(message), lParam);
        return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        released(buttonOf(message), lParam);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void Win32MascotWindow::painted() {
    const bool anythingExposed = framebuffer_.paint(hwnd_);
    if (showPaints_.passes(isVisible(), anythingExposed, Clock::now())) requestPaint();
}

void Win32MascotWindow::pressed(MouseButton button, LParam lParam) {
    activation_.mascotPressed();
    const POINT at = screenPoint(hwnd_, lParam);
    press_ = Press{button, {at.x, at.y}};
    clicks_.pressed(static_cast<int>(button), at.x, at.y);
    if (events.mouseDown) events.mouseDown(button, scenePoint(lParam), {at.x, at.y});
}

void Win32MascotWindow::released(MouseButton button, LParam lParam) {
    if (inMoveLoop_) return;
    const POINT at = screenPoint(hwnd_, lParam);
    // The form's own rule, for the repaint below: the form decides its clicks itself.
    const bool clicked = clicks_.released(static_cast<int>(button), at.x, at.y, true);
    if (events.mouseUp) events.mouseUp(button, scenePoint(lParam), {at.x, at.y});
    // A window manager raises a window that is clicked, and where the system repaints
    // windows from copies of its own (Wine, DWM) nothing says what the raise uncovered:
    // what lies behind may have changed, so the click counts as a repaint request.
    if (clicked && button == MouseButton::Left && !layered_) requestPaint();
}

PixelPoint Win32MascotWindow::scenePoint(LParam lParam) const {
    const int f = scale_.factor;
    return {core::floorDiv(GET_X_LPARAM(lParam), f), core::floorDiv(GET_Y_LPARAM(lParam), f)};
}

void Win32MascotWindow::requestPaint() {
    // The form's repaint hides and shows the window: from the message loop, once.
    if (!paintQueued_ && PostMessageW(hwnd_, kPaintRequested, 0, 0)) paintQueued_ = true;
}

}  // namespace ruvia::platform::win32
