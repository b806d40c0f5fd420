#include "launch/autostart_entry.h"

namespace ruvia::launch {

namespace {

constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";

// A desktop entry value's own escapes, applied to the whole Exec line.
std::string escapeValue(std::string_view value) {
    std::string out;
    for (const char c : value) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\t': out += "\\t"; break;
            case '\r': out += "\\r"; break;
            default: out += c;
        }
    }
    return out;
}

}  // namespace

std::string execArgument(std::string_view argument) {
    const bool quoted =
        argument.empty() || argument.find_first_of(kReserved) != std::string_view::npos;
    std::string out = quoted ? "\"" : "";
    for (const char c : argument) {
        if (quoted && (c == '"' || c == '`' || c == '$' || c == '\\')) out += '\\';
        out += c;
        // A lone % would start a field code that the launcher replaces.
        if (c == '%') out += '%';
    }
    if (quoted) out += '"';
    return out;
}

std::string autostartEntryText(const std::filesystem::path& program,
                               const std::vector<std::string>& arguments) {
    const std::u8string name = program.u8string();
    std::string exec = execArgument(std::string(name.begin(), name.end()));
    for (const std::string& argument : arguments) exec += " " + execArgument(argument);
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=RuviaMascot\n"
           "Name[ja]=ぶらさがりルビア\n"
           "Comment=Starts the desktop mascot when you log in\n"
           "Exec=" + escapeValue(exec) + "\n"
           "Icon=ruvia-mascot\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

}  // namespace ruvia::launch
