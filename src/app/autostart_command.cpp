#include "app/autostart_command.h"

#include "launch/autostart_entry.h"
#include "launch/user_paths.h"
#include "launch/whole_file.h"

#include <cstdio>
#include <cstdlib>
#include <system_error>

namespace ruvia::app {

namespace {

int failed(const std::string& what) {
    std::fprintf(stderr, "ruvia-mascot: %s\n", what.c_str());
    return 1;
}

}  // namespace

int changeAutostart(AutostartChange change, const std::vector<std::string>& settingsArguments) {
    const auto home = launch::configHome(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
    if (!home) return failed(launch::kNoConfigHome);
    const std::filesystem::path entry = launch::autostartEntryFile(*home);
    std::error_code ec;

    if (change == AutostartChange::Add) {
        const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", ec);
        if (ec) return failed("cannot find this program's own path: " + ec.message());
        const std::string error =
            launch::writeWholeFile(entry, launch::autostartEntryText(program, settingsArguments));
        if (!error.empty()) return failed("could not add the autostart entry: " + error);
        std::printf("Added %s: RuviaMascot starts when you log in.\n", entry.c_str());
        return 0;
    }
    if (!std::filesystem::exists(entry, ec)) {
        std::printf("No autostart entry at %s: nothing to remove.\n", entry.c_str());
        return 0;
    }
    if (!std::filesystem::remove(entry, ec) && ec)
        return failed("could not remove the autostart entry " + entry.string() + ": " +
                      ec.message());
    std::printf("Removed %s: RuviaMascot no longer starts when you log in.\n", entry.c_str());
    return 0;
}

}  // namespace ruvia::app
