#include "launch/options.h"

namespace ruvia::launch {

OptionsDecision decideOptions(const GivenOptions& given) {
    auto refuse = [](const char* reason) {
        return OptionsDecision{.action = Action::Refuse, .reason = reason};
    };
    if (given.help) return {.action = Action::ShowHelp};
    if (given.version) return {.action = Action::ShowVersion};
    if (given.autostart && given.noAutostart)
        return refuse("--autostart and --no-autostart contradict each other.");
    if (given.layerShell && given.noLayerShell)
        return refuse("--layer-shell and --no-layer-shell contradict each other.");
    if (given.settings && given.userSettings)
        return refuse("--settings and --user-settings name two places; give one.");
    if (given.settings && given.settingsFileEmpty) return refuse(kSettingsNeedsFile);
    OptionsDecision out;
    if (given.settings) out.settings = SettingsPlace::NamedFile;
    if (given.userSettings) out.settings = SettingsPlace::UserConfig;
    if (given.layerShell) out.layerShell = LayerShellWish::Use;
    if (given.noLayerShell) out.layerShell = LayerShellWish::Avoid;
    if (given.autostart) out.action = Action::AddAutostart;
    if (given.noAutostart) out.action = Action::RemoveAutostart;
    return out;
}

}  // namespace ruvia::launch
