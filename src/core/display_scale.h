// What a monitor's dpi means for the forms, where the system gives places and sizes in
// device pixels (the Windows program is per-monitor dpi aware). The forms work in scene
// pixels. Below 200 % a scene pixel is a device pixel and a twip is dpi/1440 of one (15
// twips at 96 dpi, 12 at 120, 10 at 144). From 200 % on, the art is drawn at the
// whole-number factor (every device pixel a copy of one art pixel, never smoothed) so
// she keeps her size: a scene pixel is then factor x factor device pixels, and the twips
// follow the dpi all the same (7.5 a device pixel at 192).
#pragma once

namespace ruvia::core {

struct DisplayScale {
    int dpi = 96;
    int factor = 1;  // device pixels per scene pixel, each way
    double twipsPerScenePixel() const { return 1440.0 * factor / dpi; }
    friend bool operator==(const DisplayScale&, const DisplayScale&) = default;
};

// A dpi the screen cannot have (zero, negative) counts as 96.
DisplayScale displayScaleFor(int dpi);

struct DeviceSize {
    int width = 0;
    int height = 0;
    friend bool operator==(const DeviceSize&, const DeviceSize&) = default;
};

// The device size a window of `size` takes on a monitor of another scale: the same size
// in twips, in whole scene pixels. Moving back and forth between monitors never makes
// it grow.
DeviceSize sizeOnOtherScale(DeviceSize size, DisplayScale before, DisplayScale after);

}  // namespace ruvia::core
