// What happens around her while she runs: screens that change, and an orderly end.
#include "mascot/form1.h"
#include "menu/form2.h"
#include "settings/settings_store.h"

namespace ruvia::mascot {
namespace {
// A change met inside a capture is looked at again this much later.
constexpr int kScreensRetryMilliseconds = 20;
}  // namespace

void Form1::onScreensChanged() {
    if (!running_ || dragging_) return;
    if (capturing_) {
        // The capture reads where she is now; she is held once it is over.
        if (!screensRetry_) {
            screensRetry_ = toolkit_.createTimer();
            screensRetry_->onTick = [this] {
                screensRetry_->setInterval(0);
                onScreensChanged();
            };
        }
        screensRetry_->setInterval(kScreensRetryMilliseconds);
        return;
    }
    if (form2_) form2_->holdOnScreen();
    if (holdInsideScreen()) Form_Paint();
}

void Form1::onEndAsked() {
    if (ending_) return;
    if (dragging_) {
        // Her place is where she is dropped: the drop ends the program.
        endAfterDrop_ = true;
        return;
    }
    ending_ = true;
    if (!running_) {
        toolkit_.endProgram(0);
        return;
    }
    const std::string error =
        settings::writeSavedPosition(settingsFile_, Left(), Top(), settingsFolder_);
    // Nobody is there to close a message box when the session ends.
    if (!error.empty()) toolkit_.reportError(error);
    if (form2_) form2_->Hide();
    Unload(error.empty() ? menu::kExitSaved : menu::kExitSaveFailed);
}

}  // namespace ruvia::mascot
