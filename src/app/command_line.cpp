#include "app/command_line.h"

#include "launch/autostart_entry.h"
#include "launch/options.h"
#include "launch/user_paths.h"
#include "mascot/form1_design.h"

#include <QCommandLineParser>

#include <cstdlib>

namespace ruvia::app {

namespace {

constexpr const char* kProgram = "ruvia-mascot";

QString helpText(const QCommandLineParser& parser) {
    // Without an application object Qt cannot know the program's name; the name is ours.
    return parser.helpText().replace(QStringLiteral("<executable_name>"),
                                     QString::fromLatin1(kProgram));
}

}  // namespace

CommandLine readCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    // "-platform" is one unknown option, not eight unknown letters.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QStringLiteral(
        "A desktop mascot: she hangs by a string from a push-pin and swings.\n"
        "Drag the pin to move her; right-click the pin for the menu (always on top, exit).\n"
        "Exit saves the position to pdl_swg.ini in the current directory, unless told\n"
        "otherwise below."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version and exit."));
    const QCommandLineOption settings(
        QStringLiteral("settings"),
        QStringLiteral("Read and save the position in <file> instead of ./pdl_swg.ini."),
        QStringLiteral("file"));
    const QCommandLineOption userSettings(
        QString::fromLatin1(launch::kUserSettingsOption).mid(2),
        QStringLiteral("Keep the position in $XDG_CONFIG_HOME/ruvia-mascot/pdl_swg.ini "
                       "(~/.config when unset), as the menu entry does."));
    const QCommandLineOption autostart(
        QStringLiteral("autostart"),
        QStringLiteral("Start the mascot when you log in (an XDG autostart entry), and exit."));
    const QCommandLineOption noAutostart(QStringLiteral("no-autostart"),
                                         QStringLiteral("Remove that entry, and exit."));
    const QCommandLineOption layerShell(
        QStringLiteral("layer-shell"),
        QStringLiteral("Under Wayland, make the mascot a layer surface wherever the compositor "
                       "offers one (the default under sway and other wlroots compositors)."));
    const QCommandLineOption noLayerShell(
        QStringLiteral("no-layer-shell"),
        QStringLiteral("Make the mascot an ordinary window, through XWayland where there is one."));
    for (const auto* option : {&help, &version, &settings, &userSettings, &autostart,
                               &noAutostart, &layerShell, &noLayerShell})
        parser.addOption(*option);

    CommandLine out;
    out.usage = helpText(parser);
    auto refuse = [&out](const QString& reason) {
        out.action = CommandLine::Action::Refuse;
        out.text = reason;
        return out;
    };
    if (!parser.parse(arguments)) return refuse(parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        return refuse(QString::fromLatin1(launch::kUnexpectedArgument)
                          .arg(parser.positionalArguments().constFirst()));
    const launch::OptionsDecision decision =
        launch::decideOptions({.help = parser.isSet(help),
                               .version = parser.isSet(version),
                               .settings = parser.isSet(settings),
                               .settingsFileEmpty = parser.value(settings).isEmpty(),
                               .userSettings = parser.isSet(userSettings),
                               .autostart = parser.isSet(autostart),
                               .noAutostart = parser.isSet(noAutostart),
                               .layerShell = parser.isSet(layerShell),
                               .noLayerShell = parser.isSet(noLayerShell)});
    out.action = decision.action;
    out.settings = decision.settings;
    out.settingsFile = parser.value(settings);
    out.layerShell = decision.layerShell;
    switch (decision.action) {
        case CommandLine::Action::Refuse: out.text = QString::fromLatin1(decision.reason); break;
        case CommandLine::Action::ShowHelp: out.text = out.usage; break;
        case CommandLine::Action::ShowVersion:
            out.text = QStringLiteral("%1 %2\n").arg(QString::fromLatin1(kProgram),
                                                     QStringLiteral(RUVIA_VERSION));
            break;
        default: break;
    }
    return out;
}

std::optional<SettingsChoice> settingsChoice(const CommandLine& line) {
    switch (line.settings) {
        case CommandLine::SettingsPlace::NamedFile:
            return SettingsChoice{std::filesystem::path(line.settingsFile.toStdU16String())};
        case CommandLine::SettingsPlace::UserConfig: {
            const auto home = launch::configHome(std::getenv("XDG_CONFIG_HOME"),
                                                 std::getenv("HOME"));
            if (!home) return std::nullopt;
            return SettingsChoice{launch::userSettingsFile(*home),
                                  settings::MissingFolder::Create};
        }
        case CommandLine::SettingsPlace::CurrentDirectory: break;
    }
    return SettingsChoice{mascot::kSettingsFileName};
}

std::vector<std::string> autostartSettingsArguments(const CommandLine& line) {
    if (line.settings != CommandLine::SettingsPlace::NamedFile)
        return {launch::kUserSettingsOption};
    const auto file = std::filesystem::absolute(line.settingsFile.toStdU16String());
    const std::u8string text = file.u8string();
    return {"--settings", std::string(text.begin(), text.end())};
}

}  // namespace ruvia::app
