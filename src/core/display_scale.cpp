#include "core/display_scale.h"

#include "core/rounding.h"

namespace ruvia::core {
namespace {

constexpr int kBaseDpi = 96;

int deviceLength(int length, DisplayScale before, DisplayScale after) {
    const double twips = double(length) / before.factor * before.twipsPerScenePixel();
    return roundHalfEven(twips / after.twipsPerScenePixel()) * after.factor;
}

}  // namespace

DisplayScale displayScaleFor(int dpi) {
    if (dpi <= 0) dpi = kBaseDpi;
    return {dpi, dpi >= 2 * kBaseDpi ? dpi / kBaseDpi : 1};
}

DeviceSize sizeOnOtherScale(DeviceSize size, DisplayScale before, DisplayScale after) {
    return {deviceLength(size.width, before, after), deviceLength(size.height, before, after)};
}

}  // namespace ruvia::core
