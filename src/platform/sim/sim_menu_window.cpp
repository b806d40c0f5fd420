#include "platform/sim/sim_menu_window.h"

#include "platform/sim/sim_toolkit.h"

namespace ruvia::sim {

SimMenuWindow::SimMenuWindow(SimDesktop& desktop, const SimToolkit& toolkit)
    : desktop_(desktop), toolkit_(toolkit) {
    name = "menu";
    desktop_.addWindow(*this);
}

SimMenuWindow::~SimMenuWindow() { desktop_.removeWindow(*this); }

void SimMenuWindow::setInnerSize(int width, int height) {
    rect.width = width;
    rect.height = height;
}

void SimMenuWindow::addPanel(platform::PixelRect, platform::OleColor backColor) {
    panelColor_ = backColor;
}

void SimMenuWindow::addPicture(platform::PixelRect, const core::Image&, platform::OleColor) {}

void SimMenuWindow::addLine(platform::PixelPoint, platform::PixelPoint, platform::OleColor) {}

platform::LabelId SimMenuWindow::addLabel(const platform::LabelDesign& design) {
    labels.push_back(design);
    return static_cast<platform::LabelId>(labels.size() - 1);
}

void SimMenuWindow::setLabelCaption(platform::LabelId id, const std::string& utf8) {
    labels.at(static_cast<size_t>(id)).caption = utf8;
}

void SimMenuWindow::setLabelColors(platform::LabelId id, platform::OleColor fore,
                                   platform::OleColor back) {
    auto& l = labels.at(static_cast<size_t>(id));
    if (l.foreColor != fore || l.backColor != back) ++colorChanges;
    l.foreColor = fore;
    l.backColor = back;
}

void SimMenuWindow::show(platform::MascotWindow& owner) {
    if (!shownBefore_) {
        const platform::PixelRect o = owner.geometry();
        rect.x = o.x + (o.width - rect.width) / 2;
        rect.y = o.y + (o.height - rect.height) / 2;
        shownBefore_ = true;
    }
    ++shows;
    visible = true;
    // Owned windows lie above their owner, in the owner's band.
    topMost = false;
    for (SimWindow* w : desktop_.stack())
        if (w->name == "mascot" && w->topMost) topMost = true;
    desktop_.raise(*this);
    desktop_.activeWindow = this;
}

void SimMenuWindow::hide() {
    visible = false;
    if (desktop_.activeWindow == this) desktop_.activeWindow = nullptr;
}

int SimMenuWindow::labelAt(platform::PixelPoint p) const {
    // Labels added earlier lie above later ones.
    for (size_t i = 0; i < labels.size(); ++i) {
        const auto& r = labels[i].rect;
        if (p.x >= r.x && p.y >= r.y && p.x < r.x + r.width && p.y < r.y + r.height &&
            p.x < rect.width && p.y < rect.height)
            return static_cast<int>(i);
    }
    return -1;
}

platform::PixelPoint SimMenuWindow::labelCentre(platform::LabelId id) const {
    const auto& r = labels.at(static_cast<size_t>(id)).rect;
    // Search the visible part of the label, from its left edge inward.
    for (int y = r.y; y < r.y + r.height; ++y)
        for (int x = r.x; x < r.x + r.width && x < rect.width; ++x)
            if (labelAt({x, y}) == id) {
                const platform::PixelPoint local{x + 4, y + 4};
                return {rect.x + local.x, rect.y + local.y};
            }
    return {rect.x, rect.y};
}

void SimMenuWindow::render(core::Image& screen, int factor) const {
    for (int y = 0; y < rect.height * factor; ++y)
        for (int x = 0; x < rect.width * factor; ++x) {
            const int sx = rect.x * factor + x;
            const int sy = rect.y * factor + y;
            if (!screen.contains(sx, sy)) continue;
            const int l = labelAt({x / factor, y / factor});
            const platform::OleColor c =
                (l >= 0 && labels[static_cast<size_t>(l)].background == platform::LabelBackground::Opaque)
                    ? labels[static_cast<size_t>(l)].backColor
                    : panelColor_;
            screen.at(sx, sy) = toolkit_.resolveColor(c);
        }
}

void SimMenuWindow::mousePress(platform::PixelPoint local, platform::PixelPoint,
                               platform::MouseButton b) {
    desktop_.activeWindow = this;
    const int l = labelAt(local);
    if (l >= 0 && events.labelMouseDown) events.labelMouseDown(l, b);
}

void SimMenuWindow::mouseMove(platform::PixelPoint local) {
    const int l = labelAt(local);
    if (l >= 0 && events.labelMouseMove) events.labelMouseMove(l);
}

void SimMenuWindow::deactivated() {
    if (events.deactivate) events.deactivate();
}

}  // namespace ruvia::sim
