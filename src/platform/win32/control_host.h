// Win32 backend: a window that holds the menu's controls (labels, a picture, a line) as
// real STATIC child windows, gives them their colours, draws the picture and the line,
// and tells which label the mouse is over. Controls are given in the form's pixels and
// placed in the device pixels of the scale the host is at. No <windows.h> here.
#pragma once

#include "core/image.h"
#include "platform/menu_window.h"
#include "platform/types.h"
#include "platform/win32/dib_surface.h"
#include "platform/win32/menu_scale.h"
#include "platform/win32/message_handler.h"

#include <functional>
#include <memory>
#include <vector>

struct HBRUSH__;
struct HFONT__;

namespace ruvia::platform::win32 {

class ControlHost {
public:
    // Hosts the controls of an existing window, which passes its messages to handle().
    ControlHost(HWND__* window, uint32_t backColor, const MenuScale& scale);
    ~ControlHost();
    ControlHost(const ControlHost&) = delete;
    ControlHost& operator=(const ControlHost&) = delete;

    HWND__* window() const { return window_; }
    void setBackColor(uint32_t pixel);

    // Each control added lies below those added before it. Colours are 0x00RRGGBB.
    void addPicture(PixelRect rect, const core::Image& picture, uint32_t backColor);
    void addLine(PixelPoint from, PixelPoint to, uint32_t color);
    LabelId addLabel(PixelRect rect, const std::string& utf8, uint32_t fore, uint32_t back,
                     LabelBackground background, HFONT__* font);
    void setLabelCaption(LabelId id, const std::string& utf8);
    void setLabelColors(LabelId id, uint32_t fore, uint32_t back);

    // Places every control anew for another monitor's scale, the labels in `font`.
    void setScale(const MenuScale& scale, HFONT__* font);

    std::function<void(LabelId)> onLabelMouseMove;
    std::function<void(LabelId, MouseButton)> onLabelMouseDown;

    // The container's share of its window's messages; false when it is not one of them.
    bool handle(unsigned message, WParam wParam, LParam lParam, MessageResult& result);

private:
    enum class Kind { Label, Picture, Line };
    struct Control {
        Kind kind;
        HWND__* hwnd = nullptr;
        PixelRect design;  // in the form's pixels
        PixelRect rect;    // in device pixels, at the host's scale
        PixelPoint from, to;  // a line's ends, in the form's pixels
        core::Image art;      // a picture as the form gave it
        LabelId label = -1;
        uint32_t fore = 0;
        uint32_t back = 0;
        bool opaque = true;
        HBRUSH__* brush = nullptr;  // of `back`
        DibSurface picture;
    };

    Control& add(Kind kind, PixelRect design, unsigned long style, const wchar_t* text);
    void place(Control& c);
    void shapeLine(Control& c);
    Control* find(HWND__* hwnd);
    Control& label(LabelId id);
    void recolor(Control& c, uint32_t back);
    void redraw(const Control& c);
    // The topmost control at a point of the container: what the mouse is over there.
    const Control* controlAt(int x, int y) const;

    HWND__* window_;
    MenuScale scale_;
    HBRUSH__* backBrush_ = nullptr;
    std::vector<std::unique_ptr<Control>> controls_;  // topmost first
    std::vector<Control*> labels_;                    // by LabelId
};

}  // namespace ruvia::platform::win32
