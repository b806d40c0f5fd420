// A simulated desktop with one mascot program on it, for the form tests.
#pragma once

#include "core/image.h"
#include "mascot/form1.h"
#include "platform/sim/sim_desktop.h"
#include "platform/sim/sim_mascot_window.h"
#include "platform/sim/sim_toolkit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace ruvia::testing {

// A wallpaper where neighbouring pixels differ, so a misplaced copy shows.
inline core::Image patternedWallpaper(int w, int h) {
    core::Image img(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.at(x, y) = core::rgb((x * 7 + y) % 256, (y * 5 + 3 * x) % 256, ((x ^ y) * 11) % 256);
    return img;
}

inline std::filesystem::path freshDirectory(const std::string& name) {
    auto dir = std::filesystem::temp_directory_path() /
               ("ruvia-test-" + name + "-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

inline void writeFile(const std::filesystem::path& p, const std::string& text) {
    std::ofstream(p, std::ios::binary) << text;
}

inline std::string readFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct SimProgram {
    explicit SimProgram(sim::SimDesktop& desktop, std::filesystem::path settings)
        : toolkit(desktop), form(toolkit, std::move(settings)) {}
    sim::SimToolkit toolkit;
    mascot::Form1 form;
    sim::SimMascotWindow& window() { return *toolkit.mascotWindow(); }
};

class SimDesktopTest : public ::testing::Test {
protected:
    explicit SimDesktopTest(std::vector<platform::PixelRect> screens = {{0, 0, 1024, 768}},
                            int width = 1024, int height = 768)
        : desktop(std::move(screens), patternedWallpaper(width, height)),
          dir(freshDirectory(::testing::UnitTest::GetInstance()->current_test_info()->name())),
          settings(dir / "pdl_swg.ini") {}
    ~SimDesktopTest() override { std::filesystem::remove_all(dir); }

    SimProgram& start() {
        program = std::make_unique<SimProgram>(desktop, settings);
        program->form.Form_Load();
        return *program;
    }

    // The screen pixels of `rect`, for comparing with what a window shows.
    core::Image screenRegion(platform::PixelRect r, const core::Image& screen) const {
        core::Image out(r.width, r.height);
        for (int y = 0; y < r.height; ++y)
            for (int x = 0; x < r.width; ++x) out.at(x, y) = screen.at(r.x + x, r.y + y);
        return out;
    }
    core::Image wallpaperBehind(platform::PixelRect r) const {
        return screenRegion(r, patternedWallpaper(desktop.screenshot().width, desktop.screenshot().height));
    }

    sim::SimDesktop desktop;
    std::filesystem::path dir;
    std::filesystem::path settings;
    std::unique_ptr<SimProgram> program;
};

}  // namespace ruvia::testing
