#include "platform/qt/pixel_scale.h"

#include <QGuiApplication>

namespace ruvia::platform::qt {

void useWholeNumberScaleFactors() {
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::Floor);
}

double twipsPerPixelFor(double logicalDpi) {
    constexpr double kTwipsPerInch = 1440.0;
    return kTwipsPerInch / (logicalDpi > 0.0 ? logicalDpi : 96.0);
}

core::Image logicalFromDevice(const core::Image& device, int width, int height) {
    if (device.width == width && device.height == height) return device;
    core::Image logical(width, height);
    if (device.width <= 0 || device.height <= 0) return logical;
    for (int y = 0; y < height; ++y) {
        const int sy = static_cast<int>((2LL * y + 1) * device.height / (2LL * height));
        for (int x = 0; x < width; ++x) {
            const int sx = static_cast<int>((2LL * x + 1) * device.width / (2LL * width));
            logical.at(x, y) = device.at(sx, sy);
        }
    }
    return logical;
}

}  // namespace ruvia::platform::qt
