#include "platform/qt/pointer_move_loop.h"

#include "platform/qt/scaled_screens.h"
#include "platform/qt/x11/x11_release_watch.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QObject>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <optional>
#include <vector>

namespace ruvia::platform::qt {
namespace {

// Sees the window's mouse events before it does while the move lasts; none of them
// reaches the window, so the release that ends a move is no click.
class PointerFollower : public QObject {
public:
    PointerFollower(QWidget& window, QPointF grip, QSize logicalSize, QEventLoop& loop,
                    const X11ReleaseWatch* releases, uint32_t pressedAt)
        : window_(window),
          grip_(grip),
          logicalSize_(logicalSize),
          loop_(loop),
          releases_(releases),
          pressedAt_(pressedAt) {
        // Crossing onto a screen of another scale, Qt first sizes the window through the
        // old screen's scale; the window goes back under the pointer once Qt is done.
        replace_.setSingleShot(true);
        replace_.setInterval(0);
        QObject::connect(&replace_, &QTimer::timeout, this, [this] { place(); });
    }

    // Where the window was last put; the window's own geometry may still show an older
    // place until the window manager's notices catch up.
    QRect placed() const { return placed_; }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
            case QEvent::MouseMove:
            case QEvent::MouseButtonRelease: {
                // What Qt delivers after the release in the same pass is no longer the
                // move's: the release put her down.
                if (released_) return true;
                const auto* mouse = static_cast<QMouseEvent*>(event);
                const auto release =
                    releases_ != nullptr ? releases_->releasedSince(pressedAt_) : std::nullopt;
                const bool last = mouse->buttons() == Qt::NoButton;
                // Motion the server reports after the button came up is not the drag's.
                if (release && !last) return true;
                // The events' own places, never the pointer's place now: a release
                // followed at once by more motion drops her where the button came up.
                pointer_ = release.value_or(toDevicePixels(screensNow(), mouse->globalPosition()));
                place();
                if (last) {
                    released_ = true;
                    loop_.quit();
                }
                return true;
            }
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonDblClick:
                return true;
            case QEvent::Resize:
                // Qt placed the window itself.
                placed_ = QRect();
                if (pointer_) replace_.start();
                return false;
            default:
                return false;
        }
    }

private:
    void place() {
        if (!pointer_) return;
        const int current =
            static_cast<int>(QGuiApplication::screens().indexOf(window_.windowHandle()->screen()));
        const QRect to(placeUnderPointer(screensNow(), current, *pointer_, grip_, logicalSize_),
                       logicalSize_);
        // Not against the window's geometry: the window manager's late notice of an
        // earlier place can stand there, and the window would stay at the last one.
        if (to == placed_) return;
        window_.setGeometry(to);
        placed_ = to;
    }

    QWidget& window_;
    QPointF grip_;
    QSize logicalSize_;
    QEventLoop& loop_;
    const X11ReleaseWatch* releases_;
    uint32_t pressedAt_;
    std::optional<QPointF> pointer_;  // device pixels
    bool released_ = false;
    QRect placed_;
    QTimer replace_;
};

}  // namespace

void followPointerUntilRelease(QWidget& window, QPointF grip, QSize logicalSize,
                               const X11ReleaseWatch* releases, uint32_t pressedAt) {
    if (QGuiApplication::mouseButtons() == Qt::NoButton) return;
    QEventLoop loop;
    PointerFollower follower(window, grip, logicalSize, loop, releases, pressedAt);
    window.installEventFilter(&follower);
    window.grabMouse();
    loop.exec();
    window.releaseMouse();
    window.removeEventFilter(&follower);
    // What comes after the move reads the window's place from its geometry.
    if (follower.placed().isValid() && window.geometry() != follower.placed())
        window.setGeometry(follower.placed());
}

}  // namespace ruvia::platform::qt
