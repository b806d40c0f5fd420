#include "platform/qt/x11/x11_connection.h"

#include <QGuiApplication>

namespace ruvia::platform::qt {

xcb_connection_t* x11Connection() {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 != nullptr ? x11->connection() : nullptr;
}

}  // namespace ruvia::platform::qt
