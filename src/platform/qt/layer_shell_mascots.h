// Qt backend glue: the mascot window as a layer surface of the compositor
// (platform/wayland), its connection read from Qt's event loop. Internal to the Linux
// program; built where the Wayland backend is.
#pragma once

#include "platform/qt/qt_toolkit.h"

#include <QObject>

#include <functional>
#include <memory>
#include <string>

class QSocketNotifier;

namespace ruvia::platform::wayland {
class WaylandDisplay;
}

namespace ruvia::platform::qt {

class LayerShellMascots : public MascotWindowSource {
public:
    // Needs the QApplication to exist.
    explicit LayerShellMascots(std::unique_ptr<wayland::WaylandDisplay> display);
    ~LayerShellMascots() override;

    std::unique_ptr<MascotWindow> create(std::function<void()> pressed) override;
    void onConnectionLost(std::function<void(const std::string&)> lost) override;

private:
    void readArrived();
    void beforeWaiting();
    void connectionLost();

    std::unique_ptr<wayland::WaylandDisplay> display_;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::function<void(const std::string&)> lost_;
    QObject context_;  // ends the event loop's connection with the glue
};

}  // namespace ruvia::platform::qt
