#include "platform/qt/qt_menu_window.h"

#include "platform/qt/deactivation_watch.h"
#include "platform/qt/image_convert.h"
#include "platform/qt/menu_label.h"
#include "platform/qt/menu_line.h"
#include "platform/qt/qt_mascot_window.h"
#include "platform/qt/widget_disposal.h"
#include "platform/qt/x11/x11_window_decorations.h"

#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QWidget>
#include <QWindow>

#include <stdexcept>

namespace ruvia::platform::qt {
namespace {

QRect toQRect(PixelRect r) { return {r.x, r.y, r.width, r.height}; }

void fillWith(QWidget& widget, uint32_t pixel) {
    QPalette p = widget.palette();
    p.setColor(QPalette::Window, QColor::fromRgb(pixel));
    widget.setPalette(p);
    widget.setAutoFillBackground(true);
}

}  // namespace

QtMenuWindow::QtMenuWindow(const Toolkit& colors, DeactivationWatch& activation)
    : colors_(colors), activation_(activation), window_(std::make_unique<QWidget>()) {
    window_->setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    window_->winId();  // the native window exists from now on, for setTransientParent
    decorateWithTitleAndCloseOnly(*window_->windowHandle());
    activation_.watch(*window_, [this] {
        if (events.deactivate) events.deactivate();
    });
}

QtMenuWindow::~QtMenuWindow() {
    activation_.unwatch(*window_);
    for (MenuLabel* l : labels_) {
        l->onMouseMove = nullptr;
        l->onMouseDown = nullptr;
    }
    disposeWidget(std::move(window_));
}

void QtMenuWindow::setTitle(const std::string& utf8) {
    window_->setWindowTitle(QString::fromStdString(utf8));
}

void QtMenuWindow::setInnerSize(int width, int height) { window_->setFixedSize(width, height); }

// The children added after the panel lie inside it, placed from the inner corner of its
// sunken border and cut off at that border, as in the menu's design.
void QtMenuWindow::addPanel(PixelRect rect, OleColor backColor) {
    auto* panel = new QFrame(window_.get());
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setLineWidth(2);
    panel->setGeometry(toQRect(rect));
    fillWith(*panel, colors_.resolveColor(backColor));
    panel->lower();
    container_ = new QWidget(panel);
    container_->setGeometry(panel->contentsRect());
    lastChild_ = nullptr;
}

void QtMenuWindow::addPicture(PixelRect rect, const core::Image& picture, OleColor backColor) {
    auto* box = new QLabel(container());
    box->setGeometry(toQRect(rect));
    box->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    box->setPixmap(QPixmap::fromImage(toQImage(picture)));
    fillWith(*box, colors_.resolveColor(backColor));
    stackBelowEarlierChildren(*box);
}

void QtMenuWindow::addLine(PixelPoint from, PixelPoint to, OleColor color) {
    auto* line = new MenuLine(container(), QPoint(from.x, from.y), QPoint(to.x, to.y),
                              QColor::fromRgb(colors_.resolveColor(color)));
    stackBelowEarlierChildren(*line);
}

LabelId QtMenuWindow::addLabel(const LabelDesign& design) {
    auto* l = new MenuLabel(container());
    l->setGeometry(toQRect(design.rect));
    l->setText(QString::fromStdString(design.caption));
    l->setColors(colors_.resolveColor(design.foreColor), colors_.resolveColor(design.backColor),
                 design.background == LabelBackground::Opaque);
    stackBelowEarlierChildren(*l);
    const auto id = static_cast<LabelId>(labels_.size());
    l->onMouseMove = [this, id] {
        if (events.labelMouseMove) events.labelMouseMove(id);
    };
    l->onMouseDown = [this, id](MouseButton button) {
        if (events.labelMouseDown) events.labelMouseDown(id, button);
    };
    labels_.push_back(l);
    backgrounds_.push_back(design.background);
    return id;
}

void QtMenuWindow::stackBelowEarlierChildren(QWidget& child) {
    if (lastChild_ != nullptr)
        child.stackUnder(lastChild_);
    else
        child.raise();
    child.show();
    lastChild_ = &child;
}

QWidget* QtMenuWindow::container() const {
    return container_ != nullptr ? container_ : window_.get();
}

MenuLabel& QtMenuWindow::label(LabelId id) {
    if (id < 0 || static_cast<size_t>(id) >= labels_.size())
        throw std::out_of_range("no menu label " + std::to_string(id));
    return *labels_[static_cast<size_t>(id)];
}

void QtMenuWindow::setLabelCaption(LabelId id, const std::string& utf8) {
    label(id).setText(QString::fromStdString(utf8));
}

void QtMenuWindow::setLabelColors(LabelId id, OleColor fore, OleColor back) {
    label(id).setColors(colors_.resolveColor(fore), colors_.resolveColor(back),
                        backgrounds_[static_cast<size_t>(id)] == LabelBackground::Opaque);
}

void QtMenuWindow::show(MascotWindow& owner) {
    auto* qtOwner = dynamic_cast<QtMascotWindow*>(&owner);
    if (qtOwner != nullptr) {
        // Owned: the window manager keeps the menu above the mascot, topmost or not.
        window_->windowHandle()->setTransientParent(qtOwner->widget().windowHandle());
        qtOwner->addOwnedWindow(*window_);
    }
    if (!shownBefore_) {
        // The inside is centred: the frame's size is not known before the first show.
        const PixelRect o = owner.geometry();
        window_->setGeometry(o.x + (o.width - window_->width()) / 2,
                             o.y + (o.height - window_->height()) / 2, window_->width(),
                             window_->height());
        shownBefore_ = true;
    }
    decorateWithTitleAndCloseOnly(*window_->windowHandle());
    window_->show();
    window_->raise();
    window_->activateWindow();
}

void QtMenuWindow::hide() { window_->hide(); }

bool QtMenuWindow::isVisible() const { return window_->isVisible(); }

PixelRect QtMenuWindow::geometry() const {
    const QRect g = window_->geometry();
    return {g.x(), g.y(), g.width(), g.height()};
}

void QtMenuWindow::move(int x, int y) { window_->setGeometry(QRect(QPoint(x, y), window_->size())); }

}  // namespace ruvia::platform::qt
