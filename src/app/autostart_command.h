// --autostart and --no-autostart: add or remove the XDG autostart entry, and say so.
#pragma once

#include <string>
#include <vector>

namespace ruvia::app {

enum class AutostartChange { Add, Remove };

// Adds or removes $XDG_CONFIG_HOME/autostart/ruvia-mascot.desktop; an added entry starts
// this very program with `settingsArguments`. Prints what it did on stdout, or one line
// on stderr when it could not; returns the exit status.
int changeAutostart(AutostartChange change, const std::vector<std::string>& settingsArguments);

}  // namespace ruvia::app
