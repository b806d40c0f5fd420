#include "platform/qt/menu_line.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace ruvia::platform::qt {

MenuLine::MenuLine(QWidget* parent, QPoint from, QPoint to, QColor color)
    : QWidget(parent), color_(color) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    const QRect bounds = QRect(from, to).normalized().adjusted(0, 0, 1, 1);
    setGeometry(bounds);
    from_ = from - bounds.topLeft();
    to_ = to - bounds.topLeft();
}

void MenuLine::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // Pixel by pixel (a DDA), so every backend can show the same pixels.
    const int dx = to_.x() - from_.x();
    const int dy = to_.y() - from_.y();
    const int steps = std::max(std::abs(dx), std::abs(dy));
    for (int i = 0; i < steps; ++i) {
        const int x = from_.x() + static_cast<int>(std::lround(double(dx) * i / steps));
        const int y = from_.y() + static_cast<int>(std::lround(double(dy) * i / steps));
        painter.fillRect(x, y, 1, 1, color_);
    }
}

}  // namespace ruvia::platform::qt
