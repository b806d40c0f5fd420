// Start-up: one copy only, the saved position, the first layout and the first tick.
#include "mascot/form1.h"
#include "settings/settings_store.h"

namespace ruvia::mascot {

void Form1::Form_Load() {
    if (toolkit_.previousInstanceRunning()) {
        toolkit_.messageBox(kSecondCopyMessage, kAppTitle, platform::MessageBoxStyle::OkOnly);
        toolkit_.endProgram(0);
        return;
    }
    running_ = true;
    GetPos();
    Angle = 0.0;
    Amplitude = core::kRestartAmplitude;
    SwingPlus = core::kTrue;
    Form_Resize();
    // Held once the layout has given the window its width: a position saved on a screen
    // that is gone now must not strand the window where nobody can reach its pin.
    holdInsideScreen();
    GetCap();
    SetCap();
    presentScene();
    Timer1->setInterval(kTickMilliseconds);
    Line1.BorderColor = kStringColor;
}

void Form1::GetPos() {
    // A file that is missing or does not hold two whole numbers changes nothing, silently.
    const auto saved = settings::readSavedPosition(settingsFile_);
    if (!saved) return;
    setTop(static_cast<float>(saved->top));
    setLeft(static_cast<float>(saved->left));
}

}  // namespace ruvia::mascot
