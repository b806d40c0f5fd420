// Qt backend: ending a native window whose own event may still be on the stack.
#pragma once

#include <QThread>
#include <QWidget>

#include <memory>

namespace ruvia::platform::qt {

// A form may unload itself from inside one of its widgets' events (the menu's exit item
// does); deleting the widget there would pull it from under Qt. Inside the event loop
// the deletion is left to the loop; after it has ended, it happens at once.
template <typename Widget>
void disposeWidget(std::unique_ptr<Widget> widget) {
    if (!widget) return;
    widget->hide();
    if (QThread::currentThread()->loopLevel() > 0)
        widget.release()->deleteLater();
}

}  // namespace ruvia::platform::qt
