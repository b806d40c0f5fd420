#include "app/win32/command_line_actions.h"

#include "app/win32/autostart.h"

#include <windows.h>

#include <cstdlib>

namespace ruvia::app::win32 {

namespace {

constexpr int kUsageError = 2;

int say(const std::wstring& text, UINT icon, int status) {
    MessageBoxW(nullptr, text.c_str(), L"RuviaMascot", MB_OK | MB_SETFOREGROUND | icon);
    return status;
}

std::optional<std::wstring> appData() {
    const DWORD n = GetEnvironmentVariableW(L"APPDATA", nullptr, 0);
    if (n == 0) return std::nullopt;
    std::wstring value(n, L'\0');
    value.resize(GetEnvironmentVariableW(L"APPDATA", value.data(), n));
    if (value.empty()) return std::nullopt;
    return value;
}

// <APPDATA>\ruvia-mascot\pdl_swg.ini, the place the Linux program's menu entry uses in
// its configuration folder. Plain strings: std::filesystem would triple the .exe.
settings::SettingsPath userSettingsFile(std::wstring home) {
    if (home.back() != L'\\' && home.back() != L'/') home += L'\\';
    return settings::SettingsPath(home + L"ruvia-mascot\\pdl_swg.ini");
}

// The Run value names the same settings file as this start would, by its full path.
std::wstring autostartArguments(const CommandLine& line) {
    if (line.settings != CommandLine::SettingsPlace::NamedFile) return L"--user-settings";
    const settings::SettingsPath named{line.settingsFile};
    return L"--settings \"" + settings::absoluteSettingsPath(named).native() + L"\"";
}

}  // namespace

std::vector<std::wstring> programArguments() {
    std::vector<std::wstring> out;
    for (int i = 1; i < __argc; ++i) out.emplace_back(__wargv[i]);
    return out;
}

std::optional<int> answerCommandLine(const CommandLine& line) {
    switch (line.action) {
        case CommandLine::Action::Run: return std::nullopt;
        case CommandLine::Action::ShowHelp: return say(usageText(), MB_ICONINFORMATION, 0);
        case CommandLine::Action::ShowVersion:
            return say(L"RuviaMascot " RUVIA_VERSION_W, MB_ICONINFORMATION, 0);
        case CommandLine::Action::Refuse:
            return say(line.reason + L"\n\n" + usageText(), MB_ICONERROR, kUsageError);
        case CommandLine::Action::AddAutostart:
        case CommandLine::Action::RemoveAutostart: {
            const AutostartResult result =
                line.action == CommandLine::Action::AddAutostart
                    ? addAutostart(autostartCommand(autostartArguments(line)))
                    : removeAutostart();
            return say(result.message, result.ok ? MB_ICONINFORMATION : MB_ICONERROR,
                       result.ok ? 0 : 1);
        }
    }
    return std::nullopt;
}

std::optional<SettingsChoice> settingsChoice(const CommandLine& line) {
    switch (line.settings) {
        case CommandLine::SettingsPlace::NamedFile:
            return SettingsChoice{settings::SettingsPath(line.settingsFile)};
        case CommandLine::SettingsPlace::UserConfig:
            if (const auto home = appData())
                return SettingsChoice{userSettingsFile(*home),
                                      settings::MissingFolder::Create};
            say(L"Cannot keep the position in your settings folder: APPDATA is not set.",
                MB_ICONERROR, 1);
            return std::nullopt;
        case CommandLine::SettingsPlace::CurrentDirectory: break;
    }
    return SettingsChoice{"pdl_swg.ini"};
}

}  // namespace ruvia::app::win32
