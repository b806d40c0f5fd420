#include "platform/qt/image_convert.h"

namespace ruvia::platform::qt {
namespace {

QImage copyPixels(const core::Image& image, QImage::Format format, uint32_t orMask) {
    QImage out(image.width, image.height, format);
    for (int y = 0; y < image.height; ++y) {
        auto* line = reinterpret_cast<uint32_t*>(out.scanLine(y));
        const uint32_t* src = image.pixels.data() + static_cast<size_t>(y) * image.width;
        for (int x = 0; x < image.width; ++x) line[x] = src[x] | orMask;
    }
    return out;
}

}  // namespace

QImage toQImage(const core::Image& image) {
    return copyPixels(image, QImage::Format_RGB32, 0xFF000000u);
}

QImage toQImageWithAlpha(const core::Image& image) {
    return copyPixels(image, QImage::Format_ARGB32, 0);
}

core::Image fromQImage(const QImage& image) {
    const QImage rgb = image.format() == QImage::Format_RGB32
                           ? image
                           : image.convertToFormat(QImage::Format_RGB32);
    core::Image out(rgb.width(), rgb.height());
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const uint32_t*>(rgb.constScanLine(y));
        uint32_t* dst = out.pixels.data() + static_cast<size_t>(y) * out.width;
        for (int x = 0; x < out.width; ++x) dst[x] = line[x] & 0x00FFFFFFu;
    }
    return out;
}

}  // namespace ruvia::platform::qt
