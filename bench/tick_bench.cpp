// What one animation tick costs: clear, copy the background, two masked sprites, the
// string, and the hand-over of the frame to the window; beside it the same pixels
// written directly, the floor any tick has to pay. Run with --benchmark_repetitions=3;
// the ratios of BM_Tick to each floor are printed at the end (CPU time, medians).
#include "assets/art.h"
#include "core/line_raster.h"
#include "mascot/form1.h"
#include "platform/sim/sim_desktop.h"
#include "platform/sim/sim_toolkit.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include <unistd.h>

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
        // The simulated desktop logs each call for the tests; unbounded, that log would
        // measure the allocator rather than the tick.
        m.desktop.log.clear();
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

// --- the floor: a tick's pixels as one would write them by hand for this one scene,
// with the loaded mascot's geometry, sprites that lie wholly inside, and no form at all.

void maskedByHand(core::Image& scene, int x0, int y0, const core::Image& mask,
                  const core::Image& sprite) {
    const int w = mask.width, h = mask.height;
    for (int y = 0; y < h; ++y) {
        uint32_t* d = &scene.at(x0, y0 + y);
        const uint32_t* m = &mask.pixels[static_cast<size_t>(y) * w];
        const uint32_t* s = &sprite.pixels[static_cast<size_t>(y) * w];
        for (int x = 0; x < w; ++x) d[x] = (d[x] & m[x]) ^ s[x];
    }
}

struct HandWrittenTick {
    LoadedMascot m;
    core::Image scene = m.form.PicTemp;
    const core::Image& background = m.form.PicTemp;
    const int charX = m.form.CharX, charY = m.form.CharY;
    const int pinX = m.form.PinX, pinY = m.form.PinY;
    const float lineX1 = m.form.Line1.X1, lineY1 = m.form.Line1.Y1;
    const uint32_t stringColor = m.toolkit.resolveColor(m.form.Line1.BorderColor);

    void drawPixels() {
        std::memcpy(scene.pixels.data(), background.pixels.data(),
                    scene.pixels.size() * sizeof(uint32_t));
        maskedByHand(scene, charX, charY, assets::imageListFrame(2), assets::imageListFrame(1));
        maskedByHand(scene, pinX, pinY, assets::imageListFrame(8), assets::imageListFrame(7));
        core::drawThickLine(scene, lineX1, lineY1, charX + 14.0, charY, stringColor);
    }
};

void BM_TickPixelsWrittenDirectly(benchmark::State& state) {
    HandWrittenTick t;
    for (auto _ : state) {
        t.drawPixels();
        benchmark::DoNotOptimize(t.scene.pixels.data());
    }
}
BENCHMARK(BM_TickPixelsWrittenDirectly);

// The same, handing the frame to the simulated window as every tick must.
void BM_TickPixelsWrittenDirectlyAndPresented(benchmark::State& state) {
    HandWrittenTick t;
    for (auto _ : state) {
        t.drawPixels();
        t.m.form.window().present(t.scene);
        benchmark::DoNotOptimize(t.scene.pixels.data());
    }
}
BENCHMARK(BM_TickPixelsWrittenDirectlyAndPresented);

void BM_SceneMemcpy(benchmark::State& state) {
    HandWrittenTick t;
    for (auto _ : state) {
        std::memcpy(t.scene.pixels.data(), t.background.pixels.data(),
                    t.scene.pixels.size() * sizeof(uint32_t));
        benchmark::DoNotOptimize(t.scene.pixels.data());
        benchmark::ClobberMemory();
    }
    state.SetLabel(std::to_string(t.scene.width) + "x" + std::to_string(t.scene.height) + " px");
}
BENCHMARK(BM_SceneMemcpy);

// Reports as the --benchmark_format flag asks (console by default), then BM_Tick against
// each floor: on standard output beside the console's table, on standard error beside
// JSON or CSV, which must stay machine-readable.
class WithRatios : public benchmark::BenchmarkReporter {
    // The library marks its CSV output as going, yet --benchmark_format=csv still asks
    // for it; until it goes, this reporter keeps the flag's word.
    static std::unique_ptr<benchmark::BenchmarkReporter> csvReporter() {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        return std::make_unique<benchmark::CSVReporter>();
#pragma GCC diagnostic pop
    }

public:
    explicit WithRatios(std::string_view format) {
        if (format == "json") inner_ = std::make_unique<benchmark::JSONReporter>();
        else if (format == "csv") inner_ = csvReporter();
        // Colour for a terminal only, as the library's own console does by default.
        else inner_ = std::make_unique<benchmark::ConsoleReporter>(
            isatty(STDOUT_FILENO) ? benchmark::ConsoleReporter::OO_ColorTabular
                                  : benchmark::ConsoleReporter::OO_Tabular);
        ratiosTo_ = format == "json" || format == "csv" ? stderr : stdout;
    }

    bool ReportContext(const Context& context) override { return inner_->ReportContext(context); }
    void ReportRuns(const std::vector<Run>& runs) override {
        inner_->ReportRuns(runs);
        for (const Run& run : runs) {
            const bool single = run.run_type == Run::RT_Iteration;
            if (single || run.aggregate_name == "median")
                cpuNs_[run.run_name.function_name][single ? 0 : 1] = run.GetAdjustedCPUTime();
        }
    }
    void Finalize() override {
        inner_->Finalize();
        const auto tick = cpuNs_.find("BM_Tick");
        if (tick == cpuNs_.end()) return;
        for (const char* floor :
             {"BM_TickPixelsWrittenDirectly", "BM_TickPixelsWrittenDirectlyAndPresented"}) {
            const auto f = cpuNs_.find(floor);
            if (f == cpuNs_.end()) continue;
            std::fprintf(ratiosTo_, "BM_Tick / %s: %.0f ns / %.0f ns = %.2fx (CPU time%s)\n",
                         floor, timeOf(tick->second), timeOf(f->second),
                         timeOf(tick->second) / timeOf(f->second),
                         tick->second[1] > 0 ? ", medians" : "");
        }
    }

private:
    // Index 0: the last single run; 1: the median over repetitions, when there are any.
    static double timeOf(const std::array<double, 2>& t) { return t[1] > 0 ? t[1] : t[0]; }
    std::unique_ptr<benchmark::BenchmarkReporter> inner_;
    std::FILE* ratiosTo_ = stdout;
    std::map<std::string, std::array<double, 2>> cpuNs_;
};

// The value of --benchmark_format=..., read before the library takes its flags.
std::string_view formatFlag(int argc, char** argv) {
    constexpr std::string_view kFlag = "--benchmark_format=";
    std::string_view format = "console";
    for (int i = 1; i < argc; ++i)
        if (std::string_view arg = argv[i]; arg.starts_with(kFlag)) format = arg.substr(kFlag.size());
    return format;
}

}  // namespace

int main(int argc, char** argv) {
    WithRatios reporter(formatFlag(argc, argv));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    // The file reporter is left to the library: --benchmark_out and its format work as
    // everywhere.
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
