// What one animation tick costs: clear, copy the background, two masked sprites, the
// string, and the hand-over of the frame to the window.
#include "core/raster_ops.h"
#include "mascot/form1.h"
#include "platform/sim/sim_desktop.h"
#include "platform/sim/sim_toolkit.h"

#include <benchmark/benchmark.h>

#include <filesystem>

namespace {

using namespace ruvia;

core::Image wallpaper() {
    core::Image img(1024, 768);
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) img.at(x, y) = core::rgb(x % 256, y % 256, (x ^ y) % 256);
    return img;
}

// A loaded mascot on a simulated desktop, with no settings file to find.
struct LoadedMascot {
    sim::SimDesktop desktop{{{0, 0, 1024, 768}}, wallpaper()};
    sim::SimToolkit toolkit{desktop};
    mascot::Form1 form{toolkit, std::filesystem::temp_directory_path() / "ruvia-bench-none.ini"};
    LoadedMascot() { form.Form_Load(); }
};

void BM_Tick(benchmark::State& state) {
    LoadedMascot m;
    mascot::Form1& form = m.form;
    for (auto _ : state) {
        form.Amplitude = 20;  // keep her swinging through every pose
        form.Timer1_Timer();
        benchmark::DoNotOptimize(form.PicMain.pixels.data());
    }
}
BENCHMARK(BM_Tick);

void BM_MaskedCharacter(benchmark::State& state) {
    LoadedMascot m;
    mascot::Form1& form = m.form;
    for (auto _ : state) {
        form.setRuvia(46, 94, 0);
        benchmark::DoNotOptimize(form.PicMain.pixels.data());
    }
}
BENCHMARK(BM_MaskedCharacter);

}  // namespace

BENCHMARK_MAIN();
