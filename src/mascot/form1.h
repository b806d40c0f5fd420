// The mascot window: a borderless window whose whole inside is the scene, in which the
// character hangs on a string from a push-pin and swings.
#pragma once

#include "core/capture.h"
#include "core/click_rule.h"
#include "core/image.h"
#include "core/swing.h"
#include "mascot/form1_design.h"
#include "platform/toolkit.h"
#include "settings/settings_store.h"

#include <cstdint>
#include <memory>

namespace ruvia::menu {
class Form2;
}

namespace ruvia::mascot {

class Form1 {
public:
    // `settingsFile` is where the position is kept; relative names resolve in the
    // current directory at the moment of the read or write.
    explicit Form1(platform::Toolkit& toolkit,
                   settings::SettingsPath settingsFile = kSettingsFileName,
                   settings::MissingFolder settingsFolder = settings::MissingFolder::Report);
    ~Form1();
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    // --- event handlers, wired to the backend's events by the constructor
    void Form_Load();
    void Form_Resize();
    void Form_Paint();
    void PicMain_Paint();
    void PicMain_Click();
    void Timer1_Timer();
    void ImgPin1_MouseDown(int16_t Button);

    // --- procedures
    void GetPos();
    void GetCap();
    void SetCap();
    void setRuvia(int32_t x, int32_t y, int32_t pose);
    void setPin();
    void SetLine();

    // --- window properties in twips (single precision, like the toolkit's)
    float Left() const;
    float Top() const;
    float Width() const;
    float Height() const;
    void setLeft(float twips);
    void setTop(float twips);
    void setWidth(float twips);
    void Show();

    // Ends the program, as unloading the last form does.
    void Unload(int exitCode = 0);

    // --- what happens around her while she runs
    // Screens came, went or changed: held inside the screen that holds most of her, as
    // after a drop, and drawn anew where that moved her.
    void onScreensChanged();
    // Asked to end in an orderly way (logout, a signal, a close message): her place is
    // saved as the exit item saves it, without a message box, then the program ends.
    void onEndAsked();

    // --- form-level state
    int32_t CharY = 0;
    int32_t CharX = 0;
    int32_t PinY = 0;
    int32_t PinX = 0;
    int32_t ApiResult = 0;
    double RopeLen = 0.0;
    double AngleRad = 0.0;
    double Angle = 0.0;
    int32_t Amplitude = 0;
    core::VbBool SwingPlus = core::kFalse;

    // --- controls
    std::unique_ptr<platform::Timer> Timer1;
    const core::Image* Picture1 = nullptr;  // staging: the image-list frame last assigned
    core::Image PicMain;   // the scene
    core::Image PicTemp;   // the last captured background
    LineControl Line1;
    PixelBox ImgPin1;

    menu::Form2* form2() { return form2_.get(); }
    platform::MascotWindow& window() { return *window_; }
    const platform::MascotWindow& window() const { return *window_; }
    // Scene geometry: the scene's inner size in pixels (ScaleWidth, ScaleHeight).
    float sceneScaleWidth() const { return sceneScaleWidth_; }
    double sceneScaleHeight() const;

private:
    void drawMasked(int32_t x, int32_t y, int w, int h, int maskFrame, int spriteFrame);
    void stageFrame(int index);
    void clearScene();
    void clearSceneBeyondBackground();
    void presentScene();
    void takeCapture(int width, int height);
    bool holdInsideScreen();
    void showMenu();
    void onMouseDown(platform::MouseButton button, platform::PixelPoint at);
    void onClick(platform::MouseButton button, platform::PixelPoint at);

    platform::Toolkit& toolkit_;
    settings::SettingsPath settingsFile_;
    settings::MissingFolder settingsFolder_;
    std::unique_ptr<platform::MascotWindow> window_;
    std::unique_ptr<menu::Form2> form2_;  // created on its first showing
    float sceneScaleWidth_ = 0.0f;  // the window's ScaleWidth as last set by the layout
    core::ClickRule clickRule_;
    bool capturing_ = false;
    bool running_ = false;   // past the one-instance check of Form_Load
    bool dragging_ = false;  // in the pin's move loop: the drop holds her itself
    bool endAfterDrop_ = false;  // an orderly end was asked for during the drag
    bool ending_ = false;
    std::unique_ptr<platform::Timer> screensRetry_;  // a change met inside a capture
    int32_t shownPose_ = 0;  // the pose the scene shows her in
    core::Image underString_;  // the scene's pixels beneath the string while it is presented
    // The last capture in the screen's device pixels, which the frames are laid over, and
    // how the screen shows the frames' see-through pixels.
    core::Capture captured_;
    core::Backdrop backdrop_ = core::Backdrop::Captured;
    core::Image onScreen_;  // the frame last handed to the window, device pixels
};

}  // namespace ruvia::mascot
