// Qt backend: raises a menu window's deactivate when another window of this program
// becomes the active one (MenuWindowEvents::deactivate). Switching to another program
// does not count. The mascot window never takes the focus (so that capturing does not
// steal it from the user), so a press on it counts as its activation.
#pragma once

#include <QObject>

#include <functional>
#include <vector>

class QWidget;
class QWindow;

namespace ruvia::platform::qt {

class DeactivationWatch {
public:
    DeactivationWatch();
    DeactivationWatch(const DeactivationWatch&) = delete;
    DeactivationWatch& operator=(const DeactivationWatch&) = delete;

    void watch(QWidget& menu, std::function<void()> deactivate);
    void unwatch(QWidget& menu);

    // A mouse button went down on the mascot window.
    void mascotPressed();

private:
    struct Watched {
        QWidget* menu;
        std::function<void()> deactivate;
        bool active = false;
    };
    void focusMoved(QWindow* now);
    void raiseFor(QWidget* menu);

    std::vector<Watched> watched_;
    QObject context_;  // ends the focus connection with the watch
};

}  // namespace ruvia::platform::qt
