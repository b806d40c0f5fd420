// The Linux program: the mascot on Qt 6 (X11 through Qt's xcb platform), or as a layer
// surface of a Wayland compositor with the rest of the program on Qt.
#include "app/autostart_command.h"
#include "app/command_line.h"
#include "app/layer_shell_choice.h"
#include "launch/user_paths.h"
#include "mascot/form1.h"
#include "platform/qt/x11/display_check.h"
#include "platform/qt/pixel_scale.h"
#include "platform/qt/qt_toolkit.h"

#include <QApplication>

#include <cstdio>

namespace {

constexpr int kUsageError = 2;

}  // namespace

int main(int argc, char** argv) {
    using ruvia::app::CommandLine;
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    const CommandLine line = ruvia::app::readCommandLine(arguments);
    switch (line.action) {
        case CommandLine::Action::ShowHelp:
        case CommandLine::Action::ShowVersion:
            std::fputs(line.text.toLocal8Bit().constData(), stdout);
            return 0;
        case CommandLine::Action::Refuse:
            std::fprintf(stderr, "ruvia-mascot: %s\n\n%s", line.text.toLocal8Bit().constData(),
                         line.usage.toLocal8Bit().constData());
            return kUsageError;
        case CommandLine::Action::AddAutostart:
            return ruvia::app::changeAutostart(ruvia::app::AutostartChange::Add,
                                               ruvia::app::autostartSettingsArguments(line));
        case CommandLine::Action::RemoveAutostart:
            return ruvia::app::changeAutostart(ruvia::app::AutostartChange::Remove, {});
        case CommandLine::Action::Run: break;
    }
    const auto settings = ruvia::app::settingsChoice(line);
    if (!settings) {
        std::fprintf(stderr, "ruvia-mascot: %s\n", ruvia::launch::kNoConfigHome);
        return 1;
    }

    if (const auto problem = ruvia::platform::qt::displayProblem()) {
        std::fprintf(stderr, "%s\n", problem->c_str());
        return 1;
    }
    // Before Qt's platform is chosen for it: the user's own choice counts.
    ruvia::app::LayerShellStart layerShell = ruvia::app::startLayerShell(line.layerShell);
    if (layerShell.fatal) {
        std::fprintf(stderr, "ruvia-mascot: %s\n", layerShell.fatal->c_str());
        return 1;
    }
    ruvia::platform::qt::preferX11();
    ruvia::platform::qt::useWholeNumberScaleFactors();

    QApplication app(argc, argv);
    ruvia::platform::qt::QtToolkit toolkit(
        ruvia::app::layerShellMascots(std::move(layerShell.connection)));
    ruvia::mascot::Form1 form(toolkit, settings->file, settings->folder);
    form.Form_Load();
    if (toolkit.endRequested()) return toolkit.exitCode();
    return QApplication::exec();
}
