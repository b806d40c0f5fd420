// Sim backend: MenuWindow, a framed window whose labels are rectangles of their colours.
#pragma once

#include "platform/menu_window.h"
#include "platform/sim/sim_desktop.h"

#include <vector>

namespace ruvia::sim {

class SimToolkit;

class SimMenuWindow : public platform::MenuWindow, public SimWindow {
public:
    SimMenuWindow(SimDesktop& desktop, const SimToolkit& toolkit);
    ~SimMenuWindow() override;

    void setTitle(const std::string& utf8) override { title = utf8; }
    void setInnerSize(int width, int height) override;
    void addPanel(platform::PixelRect r, platform::OleColor backColor) override;
    void addPicture(platform::PixelRect r, const core::Image& picture,
                    platform::OleColor backColor) override;
    void addLine(platform::PixelPoint from, platform::PixelPoint to,
                 platform::OleColor color) override;
    platform::LabelId addLabel(const platform::LabelDesign& design) override;
    void setLabelCaption(platform::LabelId id, const std::string& utf8) override;
    void setLabelColors(platform::LabelId id, platform::OleColor fore,
                        platform::OleColor back) override;
    void show(platform::MascotWindow& owner) override;
    void hide() override;
    bool isVisible() const override { return visible; }
    platform::PixelRect geometry() const override { return rect; }
    void move(int x, int y) override {
        rect.x = x;
        rect.y = y;
    }

    std::string title;
    std::vector<platform::LabelDesign> labels;
    int colorChanges = 0;  // how often a label was repainted with new colours
    int shows = 0;

    // Pixel of the window's inside that a label covers, topmost label first.
    platform::PixelPoint labelCentre(platform::LabelId id) const;

    void render(core::Image& screen, int factor) const override;
    void mousePress(platform::PixelPoint local, platform::PixelPoint onScreen,
                    platform::MouseButton b) override;
    void mouseRelease(platform::PixelPoint, platform::PixelPoint, platform::MouseButton) override {}
    void mouseMove(platform::PixelPoint local) override;
    void deactivated() override;

private:
    int labelAt(platform::PixelPoint local) const;

    SimDesktop& desktop_;
    const SimToolkit& toolkit_;
    bool shownBefore_ = false;
    platform::OleColor panelColor_ = platform::kWindowBackground;
};

}  // namespace ruvia::sim
