// A small fixed window with a title bar, built from labels, a picture and a line.
// Geometry of its children is in pixels of its inside.
#pragma once

#include "core/image.h"
#include "platform/mascot_window.h"
#include "platform/types.h"

#include <functional>
#include <string>

namespace ruvia::platform {

enum class LabelBackground { Opaque, Transparent };

struct LabelDesign {
    PixelRect rect;
    std::string caption;  // UTF-8
    OleColor foreColor = kButtonText;
    OleColor backColor = kWindowBackground;
    LabelBackground background = LabelBackground::Opaque;
};

using LabelId = int;

struct MenuWindowEvents {
    // Another window of this program became the active one.
    std::function<void()> deactivate;
    std::function<void(LabelId, MouseButton)> labelMouseDown;
    std::function<void(LabelId)> labelMouseMove;
};

class MenuWindow {
public:
    virtual ~MenuWindow() = default;

    // Building, before the first show. Children added earlier lie above later ones.
    virtual void setTitle(const std::string& utf8) = 0;
    virtual void setInnerSize(int width, int height) = 0;
    virtual void addPanel(PixelRect rect, OleColor backColor) = 0;  // sunken border
    virtual void addPicture(PixelRect rect, const core::Image& picture, OleColor backColor) = 0;
    virtual void addLine(PixelPoint from, PixelPoint to, OleColor color) = 0;
    virtual LabelId addLabel(const LabelDesign& design) = 0;

    virtual void setLabelCaption(LabelId id, const std::string& utf8) = 0;
    virtual void setLabelColors(LabelId id, OleColor fore, OleColor back) = 0;

    // The first show centres the window over its owner; later ones keep its place.
    virtual void show(MascotWindow& owner) = 0;
    virtual void hide() = 0;
    virtual bool isVisible() const = 0;
    virtual PixelRect geometry() const = 0;
    // Moves the window so that geometry() reports this top-left (logical pixels).
    virtual void move(int x, int y) = 0;

    MenuWindowEvents events;
};

}  // namespace ruvia::platform
