// The pin: drag handle of the whole window, and the menu's trigger.
#include "core/screen_hold.h"

#include "mascot/form1.h"
#include "menu/form2.h"

#include <vector>

namespace ruvia::mascot {

void Form1::ImgPin1_MouseDown(int16_t Button) {
    if (Button == static_cast<int16_t>(platform::MouseButton::Right)) {
        showMenu();
        return;
    }
    Timer1->setInterval(0);
    dragging_ = true;
    window_->runMoveLoop();
    clickRule_.forget();
    toolkit_.doEvents();
    dragging_ = false;
    holdInsideScreen();
    if (endAfterDrop_) {
        onEndAsked();
        return;
    }
    GetCap();
    SetCap();
    setPin();
    shownPose_ = 0;
    setRuvia(CharX, CharY, shownPose_);
    SetLine();
    presentScene();
    Amplitude = core::kRestartAmplitude;
    Timer1->setInterval(kTickMilliseconds);
}

// Inside the screen that shows most of the window, so a mascot can live on any monitor.
// Returns whether the window moved.
bool Form1::holdInsideScreen() {
    const double tpp = toolkit_.twipsPerPixel();
    std::vector<core::TwipsRect> screens;
    for (const platform::PixelRect& s : toolkit_.screens())
        screens.push_back({static_cast<float>(s.x * tpp), static_cast<float>(s.y * tpp),
                           static_cast<float>(s.width * tpp), static_cast<float>(s.height * tpp)});
    if (screens.empty()) return false;
    const core::TwipsRect now{Left(), Top(), Width(), Height()};
    const core::TwipsRect held = core::holdInside(now, screens[core::screenHolding(now, screens)]);
    if (held.top != now.top) setTop(held.top);
    if (held.left != now.left) setLeft(held.left);
    return held != now;
}

}  // namespace ruvia::mascot

namespace ruvia::mascot {

void Form1::showMenu() {
    if (!form2_) {
        form2_ = std::make_unique<menu::Form2>(
            toolkit_,
            menu::MenuOwner{*window_, [this] { Show(); }, [this] { return Left(); },
                            [this] { return Top(); }, [this](int exitCode) { Unload(exitCode); }},
            settingsFile_, settingsFolder_);
    }
    form2_->Show();
}

}  // namespace ruvia::mascot
