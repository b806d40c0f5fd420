#include "platform/qt/qt_toolkit.h"

#include "assets/art.h"
#include "platform/qt/deactivation_watch.h"
#include "platform/qt/image_convert.h"
#include "platform/qt/instance_lock.h"
#include "platform/qt/pixel_scale.h"
#include "platform/qt/qt_mascot_window.h"
#include "platform/qt/qt_menu_window.h"
#include "platform/qt/qt_timer.h"
#include "platform/qt/surroundings_watch.h"
#include "platform/qt/system_colors.h"

#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <QPalette>
#include <QPixmap>
#include <QScreen>

#include <cstdio>

namespace ruvia::platform::qt {
namespace {

uint32_t pixelOf(const QColor& c) { return c.rgb() | 0xFF000000u; }

}  // namespace

QtToolkit::QtToolkit(std::unique_ptr<MascotWindowSource> mascots)
    : mascots_(std::move(mascots)),
      activation_(std::make_unique<DeactivationWatch>()),
      instanceLock_(std::make_unique<InstanceLock>()),
      surroundings_(std::make_unique<SurroundingsWatch>(
          [this] {
              if (events.screensChanged) events.screensChanged();
          },
          [this] {
              if (events.endAsked) events.endAsked();
              else endProgram(0);
          })) {
    // Every window of the program, the message box included, carries her icon.
    QApplication::setWindowIcon(QIcon(QPixmap::fromImage(toQImage(assets::icon()))));
    if (mascots_) {
        mascots_->onConnectionLost([this](const std::string& why) {
            reportError(why);
            // Her place is still known: it is kept as at any other orderly end.
            if (events.endAsked) events.endAsked();
            else endProgram(1);
        });
    }
}

QtToolkit::~QtToolkit() = default;

std::unique_ptr<MascotWindow> QtToolkit::createMascotWindow() {
    if (mascots_) return mascots_->create([this] { activation_->mascotPressed(); });
    return std::make_unique<QtMascotWindow>(*activation_);
}

std::unique_ptr<MenuWindow> QtToolkit::createMenuWindow() {
    return std::make_unique<QtMenuWindow>(*this, *activation_);
}

std::unique_ptr<Timer> QtToolkit::createTimer() { return std::make_unique<QtTimer>(); }

void QtToolkit::doEvents() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

double QtToolkit::twipsPerPixel() const {
    const QScreen* primary = QGuiApplication::primaryScreen();
    return twipsPerPixelFor(primary != nullptr ? primary->logicalDotsPerInch() : 96.0);
}

std::vector<PixelRect> QtToolkit::screens() const {
    std::vector<PixelRect> out;
    const QScreen* primary = QGuiApplication::primaryScreen();
    auto add = [&](const QScreen* s) {
        const QRect g = s->geometry();
        out.push_back({g.x(), g.y(), g.width(), g.height()});
    };
    if (primary != nullptr) add(primary);
    for (const QScreen* s : QGuiApplication::screens())
        if (s != primary) add(s);
    return out;
}

bool QtToolkit::previousInstanceRunning() {
    switch (instanceLock_->claim()) {
        case LockClaim::Claimed:
            return false;
        case LockClaim::HeldElsewhere:
            return true;
        case LockClaim::Unavailable:
            break;
    }
    // Better two copies than none: only a copy that really runs refuses the start.
    std::fprintf(stderr, "ruvia-mascot: %s; starting anyway\n", instanceLock_->problem().c_str());
    return false;
}

void QtToolkit::messageBox(const std::string& text, const std::string& title,
                           MessageBoxStyle) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(title),
                    QString::fromStdString(text), QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

uint32_t QtToolkit::resolveColor(OleColor color) const {
    const QPalette palette = QApplication::palette();
    const SystemPalette system{pixelOf(palette.color(QPalette::Base)),
                               pixelOf(palette.color(QPalette::Text)),
                               pixelOf(palette.color(QPalette::ButtonText))};
    return resolveOleColor(color, system);
}

void QtToolkit::reportError(const std::string& line) {
    std::fprintf(stderr, "ruvia-mascot: %s\n", line.c_str());
}

void QtToolkit::endProgram(int exitCode) {
    endRequested_ = true;
    exitCode_ = exitCode;
    QCoreApplication::exit(exitCode);
}

}  // namespace ruvia::platform::qt
