// Win32 backend: MenuWindow. Implements setTitle, setInnerSize, addPanel, addPicture,
// addLine, addLabel, setLabelCaption, setLabelColors, show, hide, isVisible, geometry and
// the deactivate and label mouse events, on a fixed tool window owned by the mascot
// window, its labels real STATIC controls in a sunken panel. Laid out at the scale of
// the monitor it is on, anew when that changes (WM_DPICHANGED); its place is in the
// toolkit's pixels, those of the mascot's monitor. No <windows.h> here.
#pragma once

#include "platform/menu_window.h"
#include "platform/toolkit.h"
#include "platform/win32/menu_scale.h"
#include "platform/win32/message_handler.h"

#include <memory>
#include <utility>
#include <vector>

struct HFONT__;

namespace ruvia::platform::win32 {

class ActivationRelay;
class ControlHost;
class Win32MascotWindow;

class Win32MenuWindow final : public MenuWindow, private MessageHandler {
public:
    // The form gives its pixels in `toolkit`'s twips per pixel as they are now; colours
    // are resolved through it too.
    Win32MenuWindow(const Toolkit& toolkit, ActivationRelay& activation, HICON__* icon);
    ~Win32MenuWindow() override;
    Win32MenuWindow(const Win32MenuWindow&) = delete;
    Win32MenuWindow& operator=(const Win32MenuWindow&) = delete;

    void setTitle(const std::string& utf8) override;
    void setInnerSize(int width, int height) override;
    void addPanel(PixelRect rect, OleColor backColor) override;
    void addPicture(PixelRect rect, const core::Image& picture, OleColor backColor) override;
    void addLine(PixelPoint from, PixelPoint to, OleColor color) override;
    LabelId addLabel(const LabelDesign& design) override;
    void setLabelCaption(LabelId id, const std::string& utf8) override;
    void setLabelColors(LabelId id, OleColor fore, OleColor back) override;
    void show(MascotWindow& owner) override;
    void hide() override;
    bool isVisible() const override;
    PixelRect geometry() const override;
    void move(int x, int y) override;

private:
    class Panel;

    MessageResult onMessage(HWND__* hwnd, unsigned message, WParam wParam,
                            LParam lParam) override;
    ControlHost& container();
    void connect(ControlHost& host);
    std::pair<ControlHost*, LabelId> label(LabelId id) const;
    void raiseDeactivate();
    void rescale(core::DisplayScale display);
    void applyInnerSize();
    PixelRect deviceRect() const;
    int ownerFactor() const;

    const Toolkit& colors_;
    ActivationRelay& activation_;
    HFONT__* font_ = nullptr;
    HWND__* window_ = nullptr;
    std::unique_ptr<ControlHost> windowHost_;
    std::unique_ptr<Panel> panel_;
    std::vector<std::pair<ControlHost*, LabelId>> labels_;  // by our LabelId
    MenuScale scale_;
    PixelRect innerDesign_{};
    PixelRect panelDesign_{};
    Win32MascotWindow* owner_ = nullptr;
    bool shownBefore_ = false;
    bool deactivateQueued_ = false;
};

}  // namespace ruvia::platform::win32
