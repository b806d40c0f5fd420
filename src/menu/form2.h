// The menu window opened from the pin: portrait, title, version, credit and two items,
// always on top and exit.
#pragma once

#include "core/swing.h"
#include "platform/toolkit.h"
#include "settings/settings_store.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace ruvia::menu {

// The program's exit status after the exit item.
constexpr int kExitSaved = 0;
constexpr int kExitSaveFailed = 1;

// What the menu needs of the mascot window that owns it.
struct MenuOwner {
    platform::MascotWindow& window;
    std::function<void()> show;
    std::function<float()> left;  // twips
    std::function<float()> top;
    std::function<void(int exitCode)> unload;
};

class Form2 {
public:
    Form2(platform::Toolkit& toolkit, MenuOwner owner, settings::SettingsPath settingsFile,
          settings::MissingFolder settingsFolder = settings::MissingFolder::Report);

    // Modeless, above its owner; the first call creates the window and runs Form_Load.
    void Show();
    void Hide();
    // Back inside the screen that holds most of it, after the screens changed.
    void holdOnScreen();

    void Form_Load();
    void Form_Deactivate();
    void Label1_MouseMove();
    void Label2_MouseMove();
    void Label1_MouseDown(int16_t Button);
    void Label2_MouseDown(int16_t Button);

    int16_t Hover1 = 0;
    int16_t Hover2 = 0;
    core::VbBool TopMostOn = core::kFalse;

    platform::LabelId Label1 = -1;
    platform::LabelId Label2 = -1;
    platform::MenuWindow* window() { return window_.get(); }
    bool loaded() const { return window_ != nullptr; }

private:
    void create();
    void Unload();

    platform::Toolkit& toolkit_;
    MenuOwner owner_;
    settings::SettingsPath settingsFile_;
    settings::MissingFolder settingsFolder_;
    std::unique_ptr<platform::MenuWindow> window_;
};

}  // namespace ruvia::menu
