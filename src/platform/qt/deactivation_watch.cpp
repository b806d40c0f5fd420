#include "platform/qt/deactivation_watch.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace ruvia::platform::qt {

DeactivationWatch::DeactivationWatch() {
    QObject::connect(qGuiApp, &QGuiApplication::focusWindowChanged, &context_,
                     [this](QWindow* now) { focusMoved(now); });
}

void DeactivationWatch::watch(QWidget& menu, std::function<void()> deactivate) {
    watched_.push_back({&menu, std::move(deactivate)});
}

void DeactivationWatch::unwatch(QWidget& menu) {
    std::erase_if(watched_, [&](const Watched& w) { return w.menu == &menu; });
}

void DeactivationWatch::mascotPressed() {
    std::vector<QWidget*> menus;
    for (Watched& w : watched_) {
        w.active = false;
        menus.push_back(w.menu);
    }
    for (QWidget* menu : menus) raiseFor(menu);
}

void DeactivationWatch::focusMoved(QWindow* now) {
    std::vector<QWidget*> losers;
    for (Watched& w : watched_) {
        const bool isNow = now != nullptr && w.menu->windowHandle() == now;
        // Focus going to no window of ours means another program was chosen.
        if (w.active && !isNow && now != nullptr) losers.push_back(w.menu);
        w.active = isNow || (w.active && now == nullptr);
    }
    for (QWidget* menu : losers) raiseFor(menu);
}

// The handler may hide or even destroy menus, so each is looked up again first.
void DeactivationWatch::raiseFor(QWidget* menu) {
    const auto it = std::find_if(watched_.begin(), watched_.end(),
                                 [&](const Watched& w) { return w.menu == menu; });
    if (it == watched_.end() || !menu->isVisible()) return;
    const std::function<void()> deactivate = it->deactivate;
    if (deactivate) deactivate();
}

}  // namespace ruvia::platform::qt
