#include "app/command_line.h"

#include "launch/autostart_entry.h"
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
    for (const auto* option : {&help, &version, &settings, &userSettings, &autostart,
                               &noAutostart})
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
        return refuse(QStringLiteral("Unexpected argument '%1'.")
                          .arg(parser.positionalArguments().constFirst()));
    if (parser.isSet(help)) {
        out.action = CommandLine::Action::ShowHelp;
        out.text = out.usage;
        return out;
    }
    if (parser.isSet(version)) {
        out.action = CommandLine::Action::ShowVersion;
        out.text = QStringLiteral("%1 %2\n").arg(QString::fromLatin1(kProgram),
                                                 QStringLiteral(RUVIA_VERSION));
        return out;
    }
    if (parser.isSet(autostart) && parser.isSet(noAutostart))
        return refuse(QStringLiteral("--autostart and --no-autostart contradict each other."));
    if (parser.isSet(settings) && parser.isSet(userSettings))
        return refuse(QStringLiteral("--settings and %1 name two places; give one.")
                          .arg(QString::fromLatin1(launch::kUserSettingsOption)));
    if (parser.isSet(settings)) {
        out.settings = CommandLine::SettingsPlace::NamedFile;
        out.settingsFile = parser.value(settings);
        if (out.settingsFile.isEmpty())
            return refuse(QStringLiteral("--settings needs a file name."));
    } else if (parser.isSet(userSettings)) {
        out.settings = CommandLine::SettingsPlace::UserConfig;
    }
    if (parser.isSet(autostart)) out.action = CommandLine::Action::AddAutostart;
    if (parser.isSet(noAutostart)) out.action = CommandLine::Action::RemoveAutostart;
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
