#include "mascot/form1.h"

#include "core/line_raster.h"
#include "core/raster_ops.h"
#include "core/rounding.h"
#include "menu/form2.h"

#include <algorithm>
#include <cmath>

namespace ruvia::mascot {

Form1::Form1(platform::Toolkit& toolkit, settings::SettingsPath settingsFile,
             settings::MissingFolder settingsFolder)
    : toolkit_(toolkit),
      settingsFile_(settings::absoluteSettingsPath(settingsFile)),
      settingsFolder_(settingsFolder),
      window_(toolkit.createMascotWindow()) {
    Timer1 = toolkit_.createTimer();
    Timer1->onTick = [this] { Timer1_Timer(); };

    const double tpp = toolkit_.twipsPerPixel();
    window_->move(core::roundHalfEven(kDesignLeft / tpp), core::roundHalfEven(kDesignTop / tpp));
    window_->resize(core::roundHalfEven(kDesignWidth / tpp),
                    core::roundHalfEven(kDesignHeight / tpp));
    sceneScaleWidth_ = static_cast<float>(window_->geometry().width);
    // Picture boxes start out in their background colour, also where no capture lands.
    PicMain = core::Image(window_->geometry().width, window_->geometry().height,
                          toolkit_.resolveColor(platform::kWindowBackground));
    PicTemp = PicMain;

    window_->events.resize = [this] { Form_Resize(); };
    window_->events.paint = [this] { Form_Paint(); };
    window_->events.mouseDown = [this](platform::MouseButton b, platform::PixelPoint at,
                                       platform::PixelPoint onScreen) {
        clickRule_.pressed(static_cast<int>(b), onScreen.x, onScreen.y);
        onMouseDown(b, at);
    };
    window_->events.mouseUp = [this](platform::MouseButton b, platform::PixelPoint at,
                                     platform::PixelPoint onScreen) {
        const platform::PixelRect g = window_->geometry();
        const bool over = at.x >= 0 && at.y >= 0 && at.x < g.width && at.y < g.height;
        if (clickRule_.released(static_cast<int>(b), onScreen.x, onScreen.y, over))
            onClick(b, at);
    };
    toolkit_.events.screensChanged = [this] { onScreensChanged(); };
    toolkit_.events.endAsked = [this] { onEndAsked(); };
}

Form1::~Form1() {
    toolkit_.events.screensChanged = nullptr;
    toolkit_.events.endAsked = nullptr;
}

float Form1::Left() const {
    return static_cast<float>(window_->geometry().x * toolkit_.twipsPerPixel());
}
float Form1::Top() const {
    return static_cast<float>(window_->geometry().y * toolkit_.twipsPerPixel());
}
float Form1::Width() const {
    return static_cast<float>(window_->geometry().width * toolkit_.twipsPerPixel());
}
float Form1::Height() const {
    return static_cast<float>(window_->geometry().height * toolkit_.twipsPerPixel());
}

void Form1::setLeft(float twips) {
    window_->move(core::roundHalfEven(twips / toolkit_.twipsPerPixel()), window_->geometry().y);
}
void Form1::setTop(float twips) {
    window_->move(window_->geometry().x, core::roundHalfEven(twips / toolkit_.twipsPerPixel()));
}
void Form1::setWidth(float twips) {
    window_->resize(core::roundHalfEven(twips / toolkit_.twipsPerPixel()),
                    window_->geometry().height);
}

void Form1::Show() { window_->show(); }

void Form1::Unload(int exitCode) {
    Timer1->setInterval(0);
    window_->hide();
    toolkit_.endProgram(exitCode);
}

double Form1::sceneScaleHeight() const { return window_->geometry().height; }

void Form1::clearScene() { PicMain.fill(toolkit_.resolveColor(platform::kWindowBackground)); }

// The clear of a tick, less what the background copy right after it covers anyway: only a
// scene larger than the last capture keeps some of the clear's colour.
void Form1::clearSceneBeyondBackground() {
    const int coveredWidth = std::min(PicMain.width, PicTemp.width);
    const int coveredHeight = std::min(PicMain.height, PicTemp.height);
    if (coveredWidth == PicMain.width && coveredHeight == PicMain.height) return;
    const uint32_t color = toolkit_.resolveColor(platform::kWindowBackground);
    core::fillRect(PicMain, coveredWidth, 0, PicMain.width - coveredWidth, coveredHeight, color);
    core::fillRect(PicMain, 0, coveredHeight, PicMain.width, PicMain.height - coveredHeight, color);
}

// The scene has no backing store of its own: what the form drew reaches the screen
// together with the string, which the toolkit draws over its container. The string is
// drawn into the scene for the hand-over (every backend copies the frame it is given)
// and the pixels beneath it are put back, so the scene never holds the string.
void Form1::presentScene() {
    const core::PixelBounds string = core::thickLineBounds(Line1.X1, Line1.Y1, Line1.X2, Line1.Y2);
    if (underString_.width < string.width || underString_.height < string.height)
        underString_ = core::Image(string.width, string.height);
    core::bitBlt(underString_, 0, 0, string.width, string.height, PicMain, string.x, string.y,
                 core::RasterOp::SrcCopy);
    core::drawThickLine(PicMain, Line1.X1, Line1.Y1, Line1.X2, Line1.Y2,
                        toolkit_.resolveColor(Line1.BorderColor));
    core::frameForScreen(PicMain, captured_, window_->pixelFactor(), backdrop_, onScreen_);
    window_->present(onScreen_);
    core::bitBlt(PicMain, string.x, string.y, string.width, string.height, underString_, 0, 0,
                 core::RasterOp::SrcCopy);
}

void Form1::onMouseDown(platform::MouseButton button, platform::PixelPoint at) {
    if (ImgPin1.contains(at.x, at.y)) ImgPin1_MouseDown(static_cast<int16_t>(button));
}

void Form1::onClick(platform::MouseButton button, platform::PixelPoint at) {
    if (button == platform::MouseButton::Left && !ImgPin1.contains(at.x, at.y)) PicMain_Click();
}

}  // namespace ruvia::mascot
