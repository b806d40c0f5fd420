#include "platform/win32/win32_menu_window.h"

#include "core/rounding.h"
#include "platform/win32/activation_relay.h"
#include "platform/win32/control_host.h"
#include "platform/win32/display_scale.h"
#include "platform/win32/dpi_metrics.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_mascot_window.h"

#include <windows.h>

#include <stdexcept>

namespace ruvia::platform::win32 {
namespace {

constexpr UINT kDeactivated = WM_APP + 1;

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW;

bool belongsToThisProgram(HWND hwnd) {
    DWORD process = 0;
    return hwnd != nullptr && GetWindowThreadProcessId(hwnd, &process) != 0 &&
           process == GetCurrentProcessId();
}

}  // namespace

// The sunken panel: a child window of its own whose messages its controls share.
class Win32MenuWindow::Panel final : private MessageHandler {
public:
    Panel(HWND parent, PixelRect rect, uint32_t backColor, const MenuScale& scale) {
        hwnd_ = createHandledWindow({.className = L"RuviaMenuPanel",
                                     .style = WS_CHILD | WS_VISIBLE,
                                     .exStyle = WS_EX_CLIENTEDGE,
                                     .x = rect.x,
                                     .y = rect.y,
                                     .width = rect.width,
                                     .height = rect.height,
                                     .parent = parent},
                                    *this);
        host = std::make_unique<ControlHost>(hwnd_, backColor, scale);
    }
    ~Panel() {
        host.reset();
        DestroyWindow(hwnd_);
    }
    Panel(const Panel&) = delete;
    Panel& operator=(const Panel&) = delete;

    std::unique_ptr<ControlHost> host;
    HWND handle() const { return hwnd_; }

private:
    MessageResult onMessage(HWND hwnd, unsigned message, WParam wParam, LParam lParam) override {
        MessageResult result = 0;
        if (host && host->handle(message, wParam, lParam, result)) return result;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }

    HWND hwnd_ = nullptr;
};

Win32MenuWindow::Win32MenuWindow(const Toolkit& toolkit, ActivationRelay& activation,
                                 HICON__* icon)
    : colors_(toolkit), activation_(activation) {
    window_ = createHandledWindow({.className = L"RuviaMenuWindow",
                                   .style = kStyle,
                                   .exStyle = kExStyle,
                                   .width = 100,
                                   .height = 100,
                                   .icon = icon},
                                  *this);
    // Until its first show puts it on its owner's monitor: where the system made it.
    scale_ = {toolkit.twipsPerPixel(), displayScaleFor(dpiOfWindow(window_))};
    font_ = messageFont(scale_.display.dpi);
    windowHost_ = std::make_unique<ControlHost>(
        window_, colors_.resolveColor(systemColor(COLOR_BTNFACE)), scale_);
    connect(*windowHost_);
    // Before the press goes on to the mascot's handlers, which may show the menu again.
    activation_.watch(this, [this] {
        if (isVisible() && events.deactivate) events.deactivate();
    });
}

Win32MenuWindow::~Win32MenuWindow() {
    activation_.unwatch(this);
    panel_.reset();
    windowHost_.reset();
    DestroyWindow(window_);
    if (font_ != nullptr) DeleteObject(font_);
}

void Win32MenuWindow::connect(ControlHost& host) {
    ControlHost* which = &host;
    host.onLabelMouseMove = [this, which](LabelId local) {
        for (size_t i = 0; i < labels_.size(); ++i)
            if (labels_[i] == std::make_pair(which, local) && events.labelMouseMove)
                events.labelMouseMove(static_cast<LabelId>(i));
    };
    host.onLabelMouseDown = [this, which](LabelId local, MouseButton button) {
        for (size_t i = 0; i < labels_.size(); ++i)
            if (labels_[i] == std::make_pair(which, local) && events.labelMouseDown)
                events.labelMouseDown(static_cast<LabelId>(i), button);
    };
}

ControlHost& Win32MenuWindow::container() { return panel_ ? *panel_->host : *windowHost_; }

void Win32MenuWindow::setTitle(const std::string& utf8) {
    SetWindowTextW(window_, widen(utf8).c_str());
}

void Win32MenuWindow::setInnerSize(int width, int height) {
    innerDesign_ = {0, 0, width, height};
    applyInnerSize();
}

void Win32MenuWindow::applyInnerSize() {
    const auto [width, height] = framedSize(
        {scale_.devicePixels(innerDesign_.width), scale_.devicePixels(innerDesign_.height)},
        kStyle, kExStyle, scale_.display.dpi);
    SetWindowPos(window_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32MenuWindow::addPanel(PixelRect rect, OleColor backColor) {
    if (panel_) throw std::logic_error("the menu window has one panel");
    panelDesign_ = rect;
    panel_ = std::make_unique<Panel>(window_, scale_.deviceRect(rect),
                                     colors_.resolveColor(backColor), scale_);
    connect(*panel_->host);
}

void Win32MenuWindow::rescale(core::DisplayScale display) {
    if (display == scale_.display) return;
    scale_.display = display;
    HFONT font = messageFont(display.dpi);
    applyInnerSize();
    if (panel_) {
        const PixelRect r = scale_.deviceRect(panelDesign_);
        SetWindowPos(panel_->handle(), nullptr, r.x, r.y, r.width, r.height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        panel_->host->setScale(scale_, font);
    }
    windowHost_->setScale(scale_, font);
    if (font_ != nullptr) DeleteObject(font_);
    font_ = font;
}

void Win32MenuWindow::addPicture(PixelRect rect, const core::Image& picture, OleColor backColor) {
    container().addPicture(rect, picture, colors_.resolveColor(backColor));
}

void Win32MenuWindow::addLine(PixelPoint from, PixelPoint to, OleColor color) {
    container().addLine(from, to, colors_.resolveColor(color));
}

LabelId Win32MenuWindow::addLabel(const LabelDesign& design) {
    ControlHost& host = container();
    const LabelId local =
        host.addLabel(design.rect, design.caption, colors_.resolveColor(design.foreColor),
                      colors_.resolveColor(design.backColor), design.background, font_);
    labels_.emplace_back(&host, local);
    return static_cast<LabelId>(labels_.size() - 1);
}

std::pair<ControlHost*, LabelId> Win32MenuWindow::label(LabelId id) const {
    if (id < 0 || static_cast<size_t>(id) >= labels_.size())
        throw std::out_of_range("no menu label " + std::to_string(id));
    return labels_[static_cast<size_t>(id)];
}

void Win32MenuWindow::setLabelCaption(LabelId id, const std::string& utf8) {
    const auto [host, local] = label(id);
    host->setLabelCaption(local, utf8);
}

void Win32MenuWindow::setLabelColors(LabelId id, OleColor fore, OleColor back) {
    const auto [host, local] = label(id);
    host->setLabelColors(local, colors_.resolveColor(fore), colors_.resolveColor(back));
}

void Win32MenuWindow::show(MascotWindow& owner) {
    if (auto* mascot = dynamic_cast<Win32MascotWindow*>(&owner)) {
        owner_ = mascot;
        // Owned: the menu stays above the mascot, topmost or not.
        const auto ownerHandle = reinterpret_cast<LONG_PTR>(mascot->ensureCreated());
        if (GetWindowLongPtrW(window_, GWLP_HWNDPARENT) != ownerHandle)
            SetWindowLongPtrW(window_, GWLP_HWNDPARENT, ownerHandle);
    }
    if (!shownBefore_) {
        // On its owner's monitor, at that monitor's scale, centred over the owner; in
        // device pixels, whatever the toolkit's pixels are.
        PixelRect o = owner.geometry();
        if (owner_ != nullptr) {
            RECT r{};
            GetWindowRect(owner_->hwnd(), &r);
            o = {r.left, r.top, r.right - r.left, r.bottom - r.top};
        }
        rescale(displayScaleFor(owner_ != nullptr ? dpiOfWindow(owner_->hwnd()) : dpiAt(o)));
        const PixelRect m = deviceRect();
        SetWindowPos(window_, nullptr, o.x + (o.width - m.width) / 2,
                     o.y + (o.height - m.height) / 2, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        shownBefore_ = true;
    }
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
}

void Win32MenuWindow::hide() { ShowWindow(window_, SW_HIDE); }

bool Win32MenuWindow::isVisible() const { return IsWindowVisible(window_) != FALSE; }

PixelRect Win32MenuWindow::deviceRect() const {
    RECT r{};
    GetWindowRect(window_, &r);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

// The toolkit's pixels are the scene pixels of the mascot's monitor.
int Win32MenuWindow::ownerFactor() const {
    return owner_ != nullptr ? owner_->scale().factor : 1;
}

PixelRect Win32MenuWindow::geometry() const {
    const PixelRect d = deviceRect();
    const int f = ownerFactor();
    return {core::floorDiv(d.x, f), core::floorDiv(d.y, f), d.width / f, d.height / f};
}

void Win32MenuWindow::move(int x, int y) {
    const int f = ownerFactor();
    SetWindowPos(window_, nullptr, x * f, y * f, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32MenuWindow::raiseDeactivate() {
    // Hiding the window from inside its own activation change is left to the loop.
    if (!deactivateQueued_ && PostMessageW(window_, kDeactivated, 0, 0)) deactivateQueued_ = true;
}

MessageResult Win32MenuWindow::onMessage(HWND hwnd, unsigned message, WParam wParam,
                                         LParam lParam) {
    switch (message) {
    case WM_ACTIVATE:
        // Only another window of ours counts; switching to another program does not.
        if (LOWORD(wParam) == WA_INACTIVE && isVisible() &&
            belongsToThisProgram(reinterpret_cast<HWND>(lParam)))
            raiseDeactivate();
        break;
    case kDeactivated:
        deactivateQueued_ = false;
        if (isVisible() && events.deactivate) events.deactivate();
        return 0;
    case WM_CLOSE:
        // The close button hides, like the items do; the window lives on. taskkill's
        // close reaches the mascot's window too, and that one ends the program.
        hide();
        return 0;
    case WM_DPICHANGED: {
        // Dragged onto a monitor of another scale: laid out for it, where the system
        // suggests.
        rescale(displayScaleFor(HIWORD(wParam)));
        const auto* suggested = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(window_, nullptr, suggested->left, suggested->top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    default: {
        MessageResult result = 0;
        if (windowHost_ && windowHost_->handle(message, wParam, lParam, result)) return result;
        break;
    }
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace ruvia::platform::win32
