#include "app/win32/command_line.h"

#include "platform/win32/wide_text.h"

#include <utility>

namespace ruvia::app::win32 {

namespace {

// One of the shared reasons, with `argument` for its %1.
CommandLine refused(const char* reason, const std::wstring& argument = {}) {
    CommandLine out;
    out.action = CommandLine::Action::Refuse;
    out.reason = platform::win32::widen(reason);
    if (const size_t at = out.reason.find(L"%1"); at != std::wstring::npos)
        out.reason.replace(at, 2, argument);
    return out;
}

}  // namespace

CommandLine readCommandLine(const std::vector<std::wstring>& arguments) {
    // Read in order: the first argument that cannot be read is the one refused, and help
    // or the version answers what comes after it.
    launch::GivenOptions given;
    std::wstring settingsFile;
    for (size_t i = 0; i < arguments.size() && !given.help && !given.version; ++i) {
        const std::wstring& a = arguments[i];
        if (a == L"/?" || a == L"-?" || a == L"-h" || a == L"--help") {
            given.help = true;
        } else if (a == L"-v" || a == L"--version") {
            given.version = true;
        } else if (a == L"--settings" || a.starts_with(L"--settings=")) {
            if (a == L"--settings" && i + 1 == arguments.size())
                return refused(launch::kMissingValue, L"--settings");
            settingsFile = a == L"--settings" ? arguments[++i] : a.substr(11);
            if (settingsFile.empty()) return refused(launch::kSettingsNeedsFile);
            given.settings = true;
        } else if (a == L"--user-settings") {
            given.userSettings = true;
        } else if (a == L"--autostart") {
            given.autostart = true;
        } else if (a == L"--no-autostart") {
            given.noAutostart = true;
        } else if (a.starts_with(L"-") || a.starts_with(L"/")) {
            return refused(launch::kUnknownOption, a);
        } else {
            return refused(launch::kUnexpectedArgument, a);
        }
    }
    const launch::OptionsDecision decision = launch::decideOptions(given);
    if (decision.action == CommandLine::Action::Refuse) return refused(decision.reason);
    CommandLine out;
    out.action = decision.action;
    out.settings = decision.settings;
    out.settingsFile = std::move(settingsFile);
    return out;
}

std::wstring usageText() {
    return L"Usage: RuviaMascot.exe [options]\n"
           L"A desktop mascot: she hangs by a string from a push-pin and swings.\n"
           L"Exit saves the position to pdl_swg.ini in the current folder, unless told "
           L"otherwise below.\n\n"
           L"/?, --help\tShow this help.\n"
           L"--version\tShow the version.\n"
           L"--settings FILE\tRead and save the position in FILE.\n"
           L"--user-settings\tKeep the position in %APPDATA%\\ruvia-mascot\\pdl_swg.ini.\n"
           L"--autostart\tStart RuviaMascot when you sign in, and exit.\n"
           L"--no-autostart\tNo longer start it when you sign in, and exit.";
}

}  // namespace ruvia::app::win32
