#include "platform/qt/menu_label.h"

#include "platform/qt/mouse_buttons.h"

#include <QMouseEvent>

namespace ruvia::platform::qt {

MenuLabel::MenuLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);  // a caption is text, never markup
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setWordWrap(true);
    setMargin(0);
    setIndent(0);
    setMouseTracking(true);  // a move over the label counts without a button down
}

void MenuLabel::setColors(uint32_t fore, uint32_t back, bool opaque) {
    QPalette p = palette();
    p.setColor(QPalette::WindowText, QColor::fromRgb(fore));
    p.setColor(QPalette::Window, QColor::fromRgb(back));
    setPalette(p);
    setAutoFillBackground(opaque);
    update();
}

void MenuLabel::mouseMoveEvent(QMouseEvent*) {
    if (onMouseMove) onMouseMove();
}

void MenuLabel::mousePressEvent(QMouseEvent* event) {
    const auto button = toMouseButton(event->button());
    if (button && onMouseDown) onMouseDown(*button);
}

}  // namespace ruvia::platform::qt
