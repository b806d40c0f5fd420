#include "platform/qt/image_convert.h"

namespace ruvia::platform::qt {
namespace {

template <typename PixelMap>
QImage copyPixels(const core::Image& image, QImage::Format format, PixelMap map) {
    QImage out(image.width, image.height, format);
    for (int y = 0; y < image.height; ++y) {
        auto* line = reinterpret_cast<uint32_t*>(out.scanLine(y));
        const uint32_t* src = image.pixels.data() + static_cast<size_t>(y) * image.width;
        for (int x = 0; x < image.width; ++x) line[x] = map(src[x]);
    }
    return out;
}

}  // namespace

uint32_t premultiplied(uint32_t p) {
    const uint32_t a = p >> 24;
    if (a == 0xFF) return p;
    if (a == 0) return 0;
    const auto scale = [a](uint32_t c) { return (c * a + 127) / 255; };
    return (a << 24) | (scale((p >> 16) & 0xFF) << 16) | (scale((p >> 8) & 0xFF) << 8) |
           scale(p & 0xFF);
}

QImage toQImage(const core::Image& image) {
    return copyPixels(image, QImage::Format_ARGB32_Premultiplied, premultiplied);
}

QImage toOpaqueQImage(const core::Image& image) {
    return copyPixels(image, QImage::Format_RGB32, [](uint32_t p) { return p | core::kOpaque; });
}

core::Image fromQImage(const QImage& image) {
    const QImage rgb = image.format() == QImage::Format_RGB32
                           ? image
                           : image.convertToFormat(QImage::Format_RGB32);
    core::Image out(rgb.width(), rgb.height());
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const uint32_t*>(rgb.constScanLine(y));
        uint32_t* dst = out.pixels.data() + static_cast<size_t>(y) * out.width;
        for (int x = 0; x < out.width; ++x) dst[x] = line[x] | core::kOpaque;
    }
    return out;
}

}  // namespace ruvia::platform::qt
