#include "platform/win32/win32_menu_window.h"

#include "platform/win32/activation_relay.h"
#include "platform/win32/control_host.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_mascot_window.h"

#include <windows.h>

#include <stdexcept>

namespace ruvia::platform::win32 {
namespace {

constexpr UINT kDeactivated = WM_APP + 1;

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW;

// The font the user reads dialogs in; the stock GUI font when it cannot be had.
HFONT messageFont() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        if (HFONT font = CreateFontIndirectW(&metrics.lfMessageFont)) return font;
    }
    return nullptr;
}

bool belongsToThisProgram(HWND hwnd) {
    DWORD process = 0;
    return hwnd != nullptr && GetWindowThreadProcessId(hwnd, &process) != 0 &&
           process == GetCurrentProcessId();
}

}  // namespace

// The sunken panel: a child window of its own whose messages its controls share.
class Win32MenuWindow::Panel final : private MessageHandler {
public:
    Panel(HWND parent, PixelRect rect, uint32_t backColor) {
        hwnd_ = createHandledWindow({.className = L"RuviaMenuPanel",
                                     .style = WS_CHILD | WS_VISIBLE,
                                     .exStyle = WS_EX_CLIENTEDGE,
                                     .x = rect.x,
                                     .y = rect.y,
                                     .width = rect.width,
                                     .height = rect.height,
                                     .parent = parent},
                                    *this);
        host = std::make_unique<ControlHost>(hwnd_, backColor);
    }
    ~Panel() {
        host.reset();
        DestroyWindow(hwnd_);
    }
    Panel(const Panel&) = delete;
    Panel& operator=(const Panel&) = delete;

    std::unique_ptr<ControlHost> host;

private:
    MessageResult onMessage(HWND hwnd, unsigned message, WParam wParam, LParam lParam) override {
        MessageResult result = 0;
        if (host && host->handle(message, wParam, lParam, result)) return result;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }

    HWND hwnd_ = nullptr;
};

Win32MenuWindow::Win32MenuWindow(const Toolkit& colors, ActivationRelay& activation,
                                 HICON__* icon)
    : colors_(colors), activation_(activation), font_(messageFont()) {
    window_ = createHandledWindow({.className = L"RuviaMenuWindow",
                                   .style = kStyle,
                                   .exStyle = kExStyle,
                                   .width = 100,
                                   .height = 100,
                                   .icon = icon},
                                  *this);
    windowHost_ = std::make_unique<ControlHost>(window_, colors_.resolveColor(systemColor(COLOR_BTNFACE)));
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
    RECT r{0, 0, width, height};
    AdjustWindowRectEx(&r, kStyle, FALSE, kExStyle);
    SetWindowPos(window_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32MenuWindow::addPanel(PixelRect rect, OleColor backColor) {
    if (panel_) throw std::logic_error("the menu window has one panel");
    panel_ = std::make_unique<Panel>(window_, rect, colors_.resolveColor(backColor));
    connect(*panel_->host);
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
        // Owned: the menu stays above the mascot, topmost or not.
        const auto ownerHandle = reinterpret_cast<LONG_PTR>(mascot->hwnd());
        if (GetWindowLongPtrW(window_, GWLP_HWNDPARENT) != ownerHandle)
            SetWindowLongPtrW(window_, GWLP_HWNDPARENT, ownerHandle);
    }
    if (!shownBefore_) {
        const PixelRect o = owner.geometry();
        const PixelRect m = geometry();
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

PixelRect Win32MenuWindow::geometry() const {
    RECT r{};
    GetWindowRect(window_, &r);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void Win32MenuWindow::move(int x, int y) {
    SetWindowPos(window_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
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
    default: {
        MessageResult result = 0;
        if (windowHost_ && windowHost_->handle(message, wParam, lParam, result)) return result;
        break;
    }
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace ruvia::platform::win32
