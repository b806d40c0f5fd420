// Qt backend: what happens around the program while it runs. Tells of screens that
// came, went or changed (once for a burst of changes), and of an orderly end asked for
// by a terminating signal (SIGTERM, SIGINT, SIGHUP) or by the session manager. Both are
// told from the event loop. Needs a QGuiApplication; one per program.
#pragma once

#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>

class QScreen;
class QSocketNotifier;

namespace ruvia::platform::qt {

class SurroundingsWatch : public QObject {
public:
    SurroundingsWatch(std::function<void()> screensChanged, std::function<void()> endAsked);
    ~SurroundingsWatch() override;

private:
    void watchScreen(QScreen* screen);
    void endSignalArrived();

    std::function<void()> screensChanged_;
    std::function<void()> endAsked_;
    QTimer screensSettle_;
    std::unique_ptr<QSocketNotifier> endSignals_;
};

}  // namespace ruvia::platform::qt
