// The Linux program's command line: what to do, and where the position is kept.
#pragma once

#include "launch/options.h"
#include "settings/settings_store.h"

#include <QString>
#include <QStringList>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace ruvia::app {

struct CommandLine {
    using Action = launch::Action;
    using SettingsPlace = launch::SettingsPlace;

    Action action = Action::Run;
    SettingsPlace settings = SettingsPlace::CurrentDirectory;
    QString settingsFile;  // the file named by --settings
    launch::LayerShellWish layerShell = launch::LayerShellWish::Default;
    // ShowHelp and ShowVersion: what to print; Refuse: the reason, one line.
    QString text;
    QString usage;  // the help text, for a refusal to show beneath its reason
};

// Reads `arguments` (the program's name first) with Qt's parser. Needs no display and no
// application object, so --help and --version work anywhere.
CommandLine readCommandLine(const QStringList& arguments);

struct SettingsChoice {
    std::filesystem::path file;
    settings::MissingFolder folder = settings::MissingFolder::Report;
};

// The settings file this start uses; nothing when it belongs in the user's configuration
// folder and there is none.
std::optional<SettingsChoice> settingsChoice(const CommandLine& line);

// The arguments with which an autostart entry names the same settings file, by its full
// path; the user's configuration folder unless a file was named.
std::vector<std::string> autostartSettingsArguments(const CommandLine& line);

}  // namespace ruvia::app
