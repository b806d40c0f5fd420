// The Windows program's command line: the Linux program's options, read by hand (there is
// no Qt here), and `/?` for help as Windows programs have it. What they mean together is
// decided as on Linux (launch/options.h).
#pragma once

#include "launch/options.h"

#include <string>
#include <vector>

namespace ruvia::app::win32 {

struct CommandLine {
    using Action = launch::Action;
    using SettingsPlace = launch::SettingsPlace;

    Action action = Action::Run;
    SettingsPlace settings = SettingsPlace::CurrentDirectory;
    std::wstring settingsFile;  // the file named by --settings
    std::wstring reason;        // Refuse: what was wrong, one line
};

// Reads the arguments after the program's name.
CommandLine readCommandLine(const std::vector<std::wstring>& arguments);

// The options, for a message box.
std::wstring usageText();

}  // namespace ruvia::app::win32
