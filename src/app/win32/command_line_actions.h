// What the Windows program does with its command line before any window: answers in a
// message box (a GUI program has no console), or says which settings file to use.
#pragma once

#include "app/win32/command_line.h"
#include "settings/settings_store.h"

#include <optional>

namespace ruvia::app::win32 {

// The arguments after the program's name, as the C runtime split them.
std::vector<std::wstring> programArguments();

// For every action but Run: shows the answer and returns the exit status.
std::optional<int> answerCommandLine(const CommandLine& line);

struct SettingsChoice {
    settings::SettingsPath file;
    settings::MissingFolder folder = settings::MissingFolder::Report;
};

// The settings file to use; nothing (after a message box) when --user-settings was given
// and there is no %APPDATA%.
std::optional<SettingsChoice> settingsChoice(const CommandLine& line);

}  // namespace ruvia::app::win32
