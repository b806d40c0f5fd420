#include "platform/qt/pointer_move_loop.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QObject>
#include <QWidget>

namespace ruvia::platform::qt {
namespace {

// Sees the window's mouse events before it does while the move lasts; none of them
// reaches the window, so the release that ends a move is no click.
class PointerFollower : public QObject {
public:
    PointerFollower(QWidget& window, QPoint pressedAt, QEventLoop& loop)
        : window_(window), pressedAt_(pressedAt), origin_(window.pos()), loop_(loop) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
            case QEvent::MouseMove:
            case QEvent::MouseButtonRelease: {
                const auto* mouse = static_cast<QMouseEvent*>(event);
                follow(mouse->globalPosition().toPoint());
                if (mouse->buttons() == Qt::NoButton) loop_.quit();
                return true;
            }
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonDblClick:
                return true;
            default:
                return false;
        }
    }

private:
    void follow(QPoint pointer) {
        const QPoint to = origin_ + (pointer - pressedAt_);
        if (to != window_.pos()) window_.move(to);
    }

    QWidget& window_;
    QPoint pressedAt_;
    QPoint origin_;
    QEventLoop& loop_;
};

}  // namespace

void followPointerUntilRelease(QWidget& window, QPoint pressedAt) {
    if (QGuiApplication::mouseButtons() == Qt::NoButton) return;
    QEventLoop loop;
    PointerFollower follower(window, pressedAt, loop);
    window.installEventFilter(&follower);
    window.grabMouse();
    loop.exec();
    window.releaseMouse();
    window.removeEventFilter(&follower);
}

}  // namespace ruvia::platform::qt
