#include "platform/qt/surroundings_watch.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSessionManager>
#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace ruvia::platform::qt {
namespace {

// A monitor that goes away comes as several notices (the screen, then the desktop's
// size); one hold after the last of them.
constexpr int kScreensSettleMilliseconds = 50;

constexpr std::array kEndSignals{SIGTERM, SIGINT, SIGHUP};

// The one thing a signal handler may touch: the write end of the pipe into the event
// loop. A handler has no other way to reach the program.
volatile int signalPipeWrite = -1;

extern "C" void tellEventLoop(int) {
    const int saved = errno;
    const char byte = 1;
    // Full pipe: a byte is already waiting, which says the same.
    [[maybe_unused]] const ssize_t n = ::write(signalPipeWrite, &byte, 1);
    errno = saved;
}

}  // namespace

SurroundingsWatch::SurroundingsWatch(std::function<void()> screensChanged,
                                     std::function<void()> endAsked)
    : screensChanged_(std::move(screensChanged)), endAsked_(std::move(endAsked)) {
    screensSettle_.setSingleShot(true);
    screensSettle_.setInterval(kScreensSettleMilliseconds);
    connect(&screensSettle_, &QTimer::timeout, this, [this] {
        if (screensChanged_) screensChanged_();
    });
    const auto changed = [this] { screensSettle_.start(); };
    connect(qGuiApp, &QGuiApplication::screenAdded, this, [this, changed](QScreen* screen) {
        watchScreen(screen);
        changed();
    });
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, changed);
    connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this, changed);
    for (QScreen* screen : QGuiApplication::screens()) watchScreen(screen);

    // The session ends: the session manager asks first; a plain logout sends SIGTERM.
    connect(qGuiApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) {
        if (endAsked_) endAsked_();
    });

    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, fds) != 0) {
        std::fprintf(stderr, "ruvia-mascot: %s; a logout will not keep her place\n",
                     std::strerror(errno));
        return;
    }
    signalPipeWrite = fds[1];
    endSignals_ = std::make_unique<QSocketNotifier>(fds[0], QSocketNotifier::Read);
    connect(endSignals_.get(), &QSocketNotifier::activated, this, [this] { endSignalArrived(); });
    struct sigaction action {};
    action.sa_handler = tellEventLoop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : kEndSignals) ::sigaction(signal, &action, nullptr);
}

SurroundingsWatch::~SurroundingsWatch() {
    if (!endSignals_) return;
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    for (int signal : kEndSignals) ::sigaction(signal, &action, nullptr);
    ::close(static_cast<int>(endSignals_->socket()));
    ::close(signalPipeWrite);
    signalPipeWrite = -1;
}

void SurroundingsWatch::watchScreen(QScreen* screen) {
    const auto changed = [this] { screensSettle_.start(); };
    connect(screen, &QScreen::geometryChanged, this, changed);
    connect(screen, &QScreen::availableGeometryChanged, this, changed);
}

void SurroundingsWatch::endSignalArrived() {
    std::array<char, 16> drained;
    while (::read(static_cast<int>(endSignals_->socket()), drained.data(), drained.size()) > 0) {
    }
    if (endAsked_) endAsked_();
}

}  // namespace ruvia::platform::qt
