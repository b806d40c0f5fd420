#include "platform/win32/command_line.h"

namespace ruvia::platform::win32 {

namespace {

CommandLine refused(std::wstring reason) {
    CommandLine out;
    out.action = CommandLine::Action::Refuse;
    out.reason = std::move(reason);
    return out;
}

}  // namespace

CommandLine readCommandLine(const std::vector<std::wstring>& arguments) {
    CommandLine out;
    bool named = false, user = false, add = false, remove = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::wstring& a = arguments[i];
        if (a == L"/?" || a == L"-?" || a == L"-h" || a == L"--help") {
            out.action = CommandLine::Action::ShowHelp;
            return out;
        }
        if (a == L"-v" || a == L"--version") {
            out.action = CommandLine::Action::ShowVersion;
            return out;
        }
        if (a == L"--settings" || a.starts_with(L"--settings=")) {
            if (a == L"--settings" && i + 1 == arguments.size())
                return refused(L"Missing value after '--settings'.");
            out.settingsFile = a == L"--settings" ? arguments[++i] : a.substr(11);
            if (out.settingsFile.empty()) return refused(L"--settings needs a file name.");
            named = true;
        } else if (a == L"--user-settings") {
            user = true;
        } else if (a == L"--autostart") {
            add = true;
        } else if (a == L"--no-autostart") {
            remove = true;
        } else if (a.starts_with(L"-") || a.starts_with(L"/")) {
            return refused(L"Unknown option '" + a + L"'.");
        } else {
            return refused(L"Unexpected argument '" + a + L"'.");
        }
    }
    if (add && remove) return refused(L"--autostart and --no-autostart contradict each other.");
    if (named && user) return refused(L"--settings and --user-settings name two places; give one.");
    if (named) out.settings = CommandLine::SettingsPlace::NamedFile;
    if (user) out.settings = CommandLine::SettingsPlace::UserConfig;
    if (add) out.action = CommandLine::Action::AddAutostart;
    if (remove) out.action = CommandLine::Action::RemoveAutostart;
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

}  // namespace ruvia::platform::win32
