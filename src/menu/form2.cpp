#include "menu/form2.h"

#include "assets/art.h"
#include "core/rounding.h"
#include "core/screen_hold.h"
#include "menu/form2_design.h"
#include "menu/set_top_most.h"
#include "settings/settings_store.h"

#include <vector>

namespace ruvia::menu {

namespace {
constexpr int16_t kLeftButton = static_cast<int16_t>(platform::MouseButton::Left);
constexpr const char* kAppTitle = "RuviaMascot";
}  // namespace

Form2::Form2(platform::Toolkit& toolkit, MenuOwner owner, settings::SettingsPath settingsFile,
             settings::MissingFolder settingsFolder)
    : toolkit_(toolkit),
      owner_(std::move(owner)),
      settingsFile_(std::move(settingsFile)),
      settingsFolder_(settingsFolder) {}

void Form2::create() {
    const double tpp = toolkit_.twipsPerPixel();
    auto px = [tpp](int twips) { return core::roundHalfEven(twips / tpp); };
    auto rect = [&](TwipsBox b) {
        return platform::PixelRect{px(b.left), px(b.top), px(b.width), px(b.height)};
    };
    window_ = toolkit_.createMenuWindow();
    platform::MenuWindow& w = *window_;
    w.setTitle(kMenuTitle);
    w.setInnerSize(px(kInnerWidth), px(kInnerHeight));
    w.addPanel(rect(kPicture1), platform::kWindowBackground);

    core::Image portrait = assets::portrait();
    const uint32_t background = toolkit_.resolveColor(platform::kWindowBackground);
    const core::Image& mask = assets::portraitMask();
    for (size_t i = 0; i < portrait.pixels.size(); ++i)
        if (mask.pixels[i] == core::kWhite) portrait.pixels[i] = background;
    w.addPicture(rect(kPicture2), portrait, platform::kWindowBackground);
    w.addLine({px(kLine1.left), px(kLine1.top)}, {px(kLine1.left + kLine1.width), px(kLine1.top)},
              platform::kWindowText);
    w.addLabel({rect(kLabel5), kCredit, platform::kButtonText, kWhite, platform::LabelBackground::Opaque});
    w.addLabel({rect(kLabel4), kVersion, platform::kButtonText, platform::kWindowBackground,
                platform::LabelBackground::Transparent});
    w.addLabel({rect(kLabel3), kMenuTitle, platform::kButtonText, platform::kWindowBackground,
                platform::LabelBackground::Transparent});
    Label2 = w.addLabel({rect(kLabel2), kExitCaption, platform::kButtonText,
                         platform::kWindowBackground, platform::LabelBackground::Opaque});
    Label1 = w.addLabel({rect(kLabel1), kTopMostCaption, platform::kButtonText,
                         platform::kWindowBackground, platform::LabelBackground::Opaque});

    w.events.deactivate = [this] { Form_Deactivate(); };
    w.events.labelMouseMove = [this](platform::LabelId id) {
        if (id == Label1) Label1_MouseMove();
        if (id == Label2) Label2_MouseMove();
    };
    w.events.labelMouseDown = [this](platform::LabelId id, platform::MouseButton b) {
        if (id == Label1) Label1_MouseDown(static_cast<int16_t>(b));
        if (id == Label2) Label2_MouseDown(static_cast<int16_t>(b));
    };
}

void Form2::Show() {
    if (!window_) {
        create();
        Form_Load();
    }
    window_->show(owner_.window);
}

void Form2::Hide() {
    if (window_) window_->hide();
}

void Form2::holdOnScreen() {
    if (!window_) return;
    std::vector<core::TwipsRect> screens;
    for (const platform::PixelRect& s : toolkit_.screens())
        screens.push_back({static_cast<float>(s.x), static_cast<float>(s.y),
                           static_cast<float>(s.width), static_cast<float>(s.height)});
    if (screens.empty()) return;
    const platform::PixelRect g = window_->geometry();
    const core::TwipsRect now{static_cast<float>(g.x), static_cast<float>(g.y),
                              static_cast<float>(g.width), static_cast<float>(g.height)};
    const core::TwipsRect held = core::holdInside(now, screens[core::screenHolding(now, screens)]);
    if (held != now) window_->move(static_cast<int>(held.left), static_cast<int>(held.top));
}

void Form2::Form_Load() {
    Hover1 = 0;
    Hover2 = 0;
    TopMostOn = core::kFalse;
    owner_.show();
}

void Form2::Form_Deactivate() { Hide(); }

void Form2::Label1_MouseMove() {
    if (Hover1 == 0) {
        window_->setLabelColors(Label1, kWhite, platform::kButtonText);
        window_->setLabelColors(Label2, platform::kButtonText, kWhite);
        Hover1 = 1;
    }
    Hover2 = 0;
}

void Form2::Label2_MouseMove() {
    if (Hover2 == 0) {
        window_->setLabelColors(Label1, platform::kButtonText, kWhite);
        window_->setLabelColors(Label2, kWhite, platform::kButtonText);
        Hover2 = 1;
    }
    Hover1 = 0;
}

void Form2::Label1_MouseDown(int16_t Button) {
    if (Button == kLeftButton) {
        if (TopMostOn == core::kTrue) {
            SetTopMost(owner_.window, 0);
            window_->setLabelCaption(Label1, kTopMostCaption);
            TopMostOn = core::kFalse;
        } else {
            SetTopMost(owner_.window, 1);
            window_->setLabelCaption(Label1, kTopMostOnCaption);
            TopMostOn = core::kTrue;
        }
    }
    Hide();
}

void Form2::Label2_MouseDown(int16_t Button) {
    if (Button != kLeftButton) {
        Hide();
        return;
    }
    const std::string error =
        settings::writeSavedPosition(settingsFile_, owner_.left(), owner_.top(), settingsFolder_);
    // The position is lost, not the user's trust: say what failed and where, then exit
    // with a status that tells a script or session manager so too.
    if (!error.empty()) toolkit_.messageBox(error, kAppTitle, platform::MessageBoxStyle::OkOnly);
    Unload();
    owner_.unload(error.empty() ? kExitSaved : kExitSaveFailed);
}

void Form2::Unload() { Hide(); }

}  // namespace ruvia::menu
