#include "platform/qt/layer_shell_mascots.h"

#include "platform/wayland/wayland_display.h"
#include "platform/wayland/wayland_mascot_window.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QSocketNotifier>

namespace ruvia::platform::qt {

LayerShellMascots::LayerShellMascots(std::unique_ptr<wayland::WaylandDisplay> display)
    : display_(std::move(display)),
      notifier_(std::make_unique<QSocketNotifier>(display_->fd(), QSocketNotifier::Read)) {
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, &context_,
                     [this] { readArrived(); });
    // Events another read has queued would wait for the next ones otherwise.
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                     &context_, [this] { beforeWaiting(); });
}

LayerShellMascots::~LayerShellMascots() = default;

std::unique_ptr<MascotWindow> LayerShellMascots::create(std::function<void()> pressed) {
    return std::make_unique<wayland::WaylandMascotWindow>(*display_, std::move(pressed));
}

void LayerShellMascots::onConnectionLost(std::function<void(const std::string&)> lost) {
    lost_ = std::move(lost);
}

void LayerShellMascots::readArrived() {
    if (!display_->readAvailable()) connectionLost();
}

void LayerShellMascots::beforeWaiting() {
    if (!notifier_->isEnabled()) return;
    if (!display_->dispatchQueued()) connectionLost();
}

void LayerShellMascots::connectionLost() {
    // A broken connection stays readable: it is told once.
    if (!notifier_->isEnabled()) return;
    notifier_->setEnabled(false);
    if (lost_) lost_(display_->problem());
}

}  // namespace ruvia::platform::qt
