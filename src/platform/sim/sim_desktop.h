// A simulated desktop: a wallpaper, a stack of windows, screens, a clock that the test
// advances, scripted mouse input and logs of what the program asked for. Deterministic;
// it renders what the screen shows, so tests can assert pixels.
#pragma once

#include "core/image.h"
#include "platform/types.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace ruvia::sim {

class SimWindow;
class SimTimer;

struct MessageBoxRecord {
    std::string text;
    std::string title;
};

class SimDesktop {
public:
    // `wallpaper` covers the virtual desktop from (0, 0) in device pixels, `pixelFactor`
    // of them to a logical pixel each way (a 4K screen at 200 %); screens and windows are
    // rectangles on it in logical pixels.
    SimDesktop(std::vector<platform::PixelRect> screens, core::Image wallpaper,
               double twipsPerPixel = 15.0, int pixelFactor = 1);

    const std::vector<platform::PixelRect>& screens() const { return screens_; }
    // A monitor comes or goes, or a resolution changes: the programs hear of it from the
    // event loop, as from a real window system.
    void changeScreens(std::vector<platform::PixelRect> screens);
    void listenToScreens(const void* who, std::function<void()> tell) {
        screenListeners_.emplace_back(who, std::move(tell));
    }
    void stopListening(const void* who) {
        std::erase_if(screenListeners_, [who](const auto& l) { return l.first == who; });
    }
    double twipsPerPixel() const { return twipsPerPixel_; }
    int pixelFactor() const { return pixelFactor_; }

    // --- time: advancing the clock runs pending events and fires due timer ticks
    int64_t now() const { return now_; }
    void advance(int64_t milliseconds);
    void runPending();
    // Every doEvents also lets this much time pass (the window system's latency).
    int64_t doEventsLatency = 0;
    void doEvents();

    // --- what is on the screen, in device pixels
    core::Image screenshot() const;
    SimWindow* windowAt(platform::PixelPoint p) const;
    const std::vector<SimWindow*>& stack() const { return stack_; }  // bottom to top

    // --- mouse: a press and release at `from` and `to`; a window's move loop follows it
    void drag(platform::PixelPoint from, platform::PixelPoint to, platform::MouseButton b);
    void click(platform::PixelPoint at, platform::MouseButton b) { drag(at, at, b); }
    void moveMouse(platform::PixelPoint to);
    // The press being delivered, for a move loop: returns the offset still to follow.
    bool takeDragOffset(platform::PixelPoint& offset);

    // The window system tells `w` that part of it was uncovered.
    void expose(SimWindow& w);

    // --- logs
    std::vector<std::string> log;
    std::vector<MessageBoxRecord> messageBoxes;
    void record(std::string entry) { log.push_back(std::move(entry)); }

    // --- one-instance registry
    bool instanceHeld = false;

    // --- used by the sim backend's objects
    void addWindow(SimWindow& w);
    void removeWindow(SimWindow& w);
    void raise(SimWindow& w);
    void addTimer(SimTimer& t);
    void removeTimer(SimTimer& t);
    void post(std::function<void()> event) { pending_.push_back(std::move(event)); }
    SimWindow* activeWindow = nullptr;

private:
    void fireDueTimers(int64_t until);

    std::vector<platform::PixelRect> screens_;
    core::Image wallpaper_;
    double twipsPerPixel_;
    int pixelFactor_;
    int64_t now_ = 0;
    std::vector<SimWindow*> stack_;
    std::vector<SimTimer*> timers_;
    std::deque<std::function<void()>> pending_;
    std::vector<std::pair<const void*, std::function<void()>>> screenListeners_;
    bool dragging_ = false;
    platform::PixelPoint dragOffset_{};
};

// What every simulated window has: a place in the stack, a rectangle, visibility and
// the pixels it shows.
class SimWindow {
public:
    virtual ~SimWindow() = default;
    platform::PixelRect rect;
    bool visible = false;
    bool topMost = false;
    std::string name;
    // Draws the window onto `screen`, `factor` device pixels to each of its own.
    virtual void render(core::Image& screen, int factor) const = 0;
    virtual void mousePress(platform::PixelPoint local, platform::PixelPoint onScreen,
                            platform::MouseButton b) = 0;
    virtual void mouseRelease(platform::PixelPoint local, platform::PixelPoint onScreen,
                              platform::MouseButton b) = 0;
    virtual void mouseMove(platform::PixelPoint local) { (void)local; }
    virtual void paintRequested() {}
    virtual void deactivated() {}
};

}  // namespace ruvia::sim
