// Qt backend: a label of the menu window (internal): caption, colours and the mouse
// events the form listens to.
#pragma once

#include "platform/types.h"

#include <QLabel>

#include <functional>

namespace ruvia::platform::qt {

class MenuLabel : public QLabel {
public:
    explicit MenuLabel(QWidget* parent);

    // Colours as core::Image pixels; an opaque label fills its rectangle.
    void setColors(uint32_t fore, uint32_t back, bool opaque);

    std::function<void()> onMouseMove;
    std::function<void(MouseButton)> onMouseDown;

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
};

}  // namespace ruvia::platform::qt
