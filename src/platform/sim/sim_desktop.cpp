#include "platform/sim/sim_desktop.h"

#include "platform/sim/sim_timer.h"

#include <algorithm>
#include <limits>

namespace ruvia::sim {

SimDesktop::SimDesktop(std::vector<platform::PixelRect> screens, core::Image wallpaper,
                       double twipsPerPixel, int pixelFactor)
    : screens_(std::move(screens)),
      wallpaper_(std::move(wallpaper)),
      twipsPerPixel_(twipsPerPixel),
      pixelFactor_(pixelFactor) {}

void SimDesktop::changeScreens(std::vector<platform::PixelRect> screens) {
    screens_ = std::move(screens);
    record("screens changed");
    post([this] {
        for (const auto& listener : std::vector(screenListeners_)) listener.second();
    });
}

void SimDesktop::runPending() {
    while (!pending_.empty()) {
        auto event = std::move(pending_.front());
        pending_.pop_front();
        event();
    }
}

void SimDesktop::doEvents() {
    record("doEvents");
    runPending();
    if (doEventsLatency > 0) fireDueTimers(now_ + doEventsLatency);
}

void SimDesktop::advance(int64_t milliseconds) {
    runPending();
    fireDueTimers(now_ + milliseconds);
}

void SimDesktop::fireDueTimers(int64_t until) {
    for (;;) {
        SimTimer* next = nullptr;
        int64_t due = std::numeric_limits<int64_t>::max();
        for (SimTimer* t : timers_)
            if (t->interval() > 0 && t->nextDue() < due) {
                due = t->nextDue();
                next = t;
            }
        if (!next || due > until) break;
        now_ = due;
        next->fire();
        runPending();
    }
    now_ = std::max(now_, until);
}

core::Image SimDesktop::screenshot() const {
    core::Image screen = wallpaper_;
    // Topmost windows lie above all others, each band in stacking order.
    for (bool band : {false, true})
        for (const SimWindow* w : stack_)
            if (w->visible && w->topMost == band) w->render(screen, pixelFactor_);
    return screen;
}

SimWindow* SimDesktop::windowAt(platform::PixelPoint p) const {
    for (bool band : {true, false})
        for (auto it = stack_.rbegin(); it != stack_.rend(); ++it) {
            SimWindow* w = *it;
            const auto& r = w->rect;
            if (w->visible && w->topMost == band && p.x >= r.x && p.y >= r.y &&
                p.x < r.x + r.width && p.y < r.y + r.height)
                return w;
        }
    return nullptr;
}

void SimDesktop::drag(platform::PixelPoint from, platform::PixelPoint to, platform::MouseButton b) {
    SimWindow* w = windowAt(from);
    if (!w) return;
    record("press " + w->name);
    if (activeWindow && activeWindow != w) {
        SimWindow* previous = activeWindow;
        activeWindow = nullptr;
        previous->deactivated();
    }
    dragging_ = true;
    dragOffset_ = {to.x - from.x, to.y - from.y};
    const platform::PixelRect before = w->rect;
    w->mousePress({from.x - before.x, from.y - before.y}, from, b);
    const bool followedByMoveLoop = !dragging_;
    dragging_ = false;
    // After a move loop the release has been consumed by it, as the window system does.
    if (!followedByMoveLoop)
        w->mouseRelease({to.x - w->rect.x, to.y - w->rect.y}, to, b);
}

void SimDesktop::moveMouse(platform::PixelPoint to) {
    if (SimWindow* w = windowAt(to)) w->mouseMove({to.x - w->rect.x, to.y - w->rect.y});
}

bool SimDesktop::takeDragOffset(platform::PixelPoint& offset) {
    if (!dragging_) return false;
    dragging_ = false;
    offset = dragOffset_;
    return true;
}

void SimDesktop::expose(SimWindow& w) {
    post([&w] { w.paintRequested(); });
}

void SimDesktop::addWindow(SimWindow& w) { stack_.push_back(&w); }

void SimDesktop::removeWindow(SimWindow& w) {
    std::erase(stack_, &w);
    if (activeWindow == &w) activeWindow = nullptr;
}

void SimDesktop::raise(SimWindow& w) {
    std::erase(stack_, &w);
    stack_.push_back(&w);
}

void SimDesktop::addTimer(SimTimer& t) { timers_.push_back(&t); }
void SimDesktop::removeTimer(SimTimer& t) { std::erase(timers_, &t); }

}  // namespace ruvia::sim
