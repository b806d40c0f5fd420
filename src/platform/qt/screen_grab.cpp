#include "platform/qt/screen_grab.h"

#include "core/raster_ops.h"
#include "platform/qt/image_convert.h"
#include "platform/qt/pixel_scale.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QRect>
#include <QScreen>

namespace ruvia::platform::qt {

bool grabScreenArea(PixelRect area, core::Image& dst) {
    const QRect wanted(area.x, area.y, area.width, area.height);
    core::Image result = dst;
    bool readAny = false;
    for (QScreen* screen : QGuiApplication::screens()) {
        const QRect screenRect = screen->geometry();
        const QRect part = wanted & screenRect;
        if (part.isEmpty()) continue;
        // The whole-screen grab takes coordinates relative to that screen, in logical
        // pixels; on a high-DPI screen it returns device pixels.
        const QPixmap grab = screen->grabWindow(0, part.x() - screenRect.x(),
                                                part.y() - screenRect.y(), part.width(),
                                                part.height());
        if (grab.isNull()) return false;
        const core::Image pixels =
            logicalFromDevice(fromQImage(grab.toImage()), part.width(), part.height());
        core::bitBlt(result, part.x() - area.x, part.y() - area.y, part.width(),
                     part.height(), pixels, 0, 0, core::RasterOp::SrcCopy);
        readAny = true;
    }
    if (readAny) dst = std::move(result);
    return readAny;
}

QImage grabDevicePixels(PixelRect area) {
    const QRect wanted(area.x, area.y, area.width, area.height);
    for (QScreen* screen : QGuiApplication::screens()) {
        const QRect screenRect = screen->geometry();
        if (!screenRect.contains(wanted)) continue;
        return screen
            ->grabWindow(0, wanted.x() - screenRect.x(), wanted.y() - screenRect.y(),
                         wanted.width(), wanted.height())
            .toImage();
    }
    return {};
}

}  // namespace ruvia::platform::qt
