// Qt backend: the native window under QtMascotWindow (internal). It paints the last
// presented frame and turns Qt's events into plain callbacks; it decides nothing.
#pragma once

#include <QImage>
#include <QWidget>

#include <functional>

namespace ruvia::platform::qt {

class MascotWidget : public QWidget {
public:
    MascotWidget();

    void setFrame(QImage frame);

    // The frames now reach the native window by another way; the window's own paint (an
    // expose, a show) asks `currentFrame` for the latest, so Qt's copy of the window never
    // shows an older one.
    void framePutElsewhere() { frameOutdated_ = true; }
    std::function<QImage()> currentFrame;

    // Makes the native window anew with (or without) an alpha channel: a compositor
    // blends such a window, a bare X server keeps it aside and sends it no exposes. Only
    // while hidden; the window's id changes.
    void setTranslucent(bool on);
    bool isTranslucent() const { return testAttribute(Qt::WA_TranslucentBackground); }

    // An expose of the native window; `anythingExposed` is false for the expose that
    // tells a window it is no longer on screen.
    std::function<void(bool anythingExposed)> onExpose;
    std::function<void(QMouseEvent&)> onPress;
    std::function<void(QMouseEvent&)> onRelease;
    std::function<void(QSize)> onResized;
    // Before the native window is mapped.
    std::function<void()> onShown;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QImage frame_;
    bool frameOutdated_ = false;
};

}  // namespace ruvia::platform::qt
