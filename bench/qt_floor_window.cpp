// The floor for any Qt program on this desktop, for peers_bench.py: a frameless window of
// the mascot's size showing a picture. A click repaints the whole window 79 times, 50 ms
// apart, as one swing of the mascot does; otherwise it does nothing at all.
#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QWidget>

namespace {

constexpr int kWidth = 107;
constexpr int kHeight = 150;
constexpr int kTicksPerSwing = 79;
constexpr int kTickMilliseconds = 50;

class FloorWindow : public QWidget {
public:
    FloorWindow() : QWidget(nullptr, Qt::FramelessWindowHint), picture_(kWidth, kHeight, QImage::Format_RGB32) {
        setWindowTitle(QStringLiteral("RuviaQtFloor"));
        setFixedSize(kWidth, kHeight);
        setAttribute(Qt::WA_OpaquePaintEvent);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                picture_.setPixel(x, y, qRgb(x * 2 % 256, y % 256, (x ^ y) % 256));
        timer_.setInterval(kTickMilliseconds);
        QObject::connect(&timer_, &QTimer::timeout, this, [this] { tick(); });
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.drawImage(0, 0, picture_);
        // Something that moves, so that every frame differs from the one before.
        painter.fillRect(frame_ % (kWidth - 32), 94, 32, 56, QColor(180, 100, 0));
    }
    void mousePressEvent(QMouseEvent*) override {
        ticksLeft_ = kTicksPerSwing;
        timer_.start();
    }

private:
    void tick() {
        ++frame_;
        update();
        if (--ticksLeft_ == 0) timer_.stop();
    }

    QImage picture_;
    QTimer timer_;
    int frame_ = 0;
    int ticksLeft_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    FloorWindow window;
    window.move(639, 66);
    window.show();
    return app.exec();
}
