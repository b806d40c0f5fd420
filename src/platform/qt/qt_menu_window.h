// Qt backend: MenuWindow. Implements the title, inner size, panel, picture, line and
// labels (real widgets; children added earlier lie above later ones; children added after
// the panel are placed in the panel's inside, within its border), label captions and
// colours, show over its owner / hide / isVisible / geometry, and the deactivate and
// label mouse events. No Qt types here beyond forward declarations.
#pragma once

#include "platform/menu_window.h"
#include "platform/toolkit.h"

#include <memory>
#include <vector>

class QWidget;

namespace ruvia::platform::qt {

class DeactivationWatch;
class MenuLabel;

class QtMenuWindow : public MenuWindow {
public:
    // `colors` resolves the designer's colour values (the toolkit that creates the menu).
    QtMenuWindow(const Toolkit& colors, DeactivationWatch& activation);
    ~QtMenuWindow() override;

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
    QWidget* container() const;
    void stackBelowEarlierChildren(QWidget& child);
    MenuLabel& label(LabelId id);

    const Toolkit& colors_;
    DeactivationWatch& activation_;
    std::unique_ptr<QWidget> window_;
    QWidget* container_ = nullptr;  // the panel's inside, once there is a panel
    QWidget* lastChild_ = nullptr;
    std::vector<MenuLabel*> labels_;
    std::vector<LabelBackground> backgrounds_;
    bool shownBefore_ = false;
};

}  // namespace ruvia::platform::qt
