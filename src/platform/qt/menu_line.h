// Qt backend: the menu window's line control (internal), drawn over what lies beneath
// it and invisible to the mouse.
#pragma once

#include <QColor>
#include <QPoint>
#include <QWidget>

namespace ruvia::platform::qt {

class MenuLine : public QWidget {
public:
    // End points in the parent's pixels; like GDI's LineTo, the end point itself is
    // not drawn.
    MenuLine(QWidget* parent, QPoint from, QPoint to, QColor color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPoint from_;
    QPoint to_;
    QColor color_;
};

}  // namespace ruvia::platform::qt
