// The command line's rules and reasons, shared by both programs: the Linux one reads its
// arguments with Qt's parser, the Windows one by hand, and each then asks decideOptions
// what the start is to do. Plain C++, no toolkit; the reasons are ASCII.
#pragma once

namespace ruvia::launch {

enum class Action { Run, ShowHelp, ShowVersion, AddAutostart, RemoveAutostart, Refuse };
enum class SettingsPlace { CurrentDirectory, NamedFile, UserConfig };
// Whether the mascot is a layer surface of the compositor (Linux under Wayland): as the
// compositor suits (Default), wherever one is offered (--layer-shell), never
// (--no-layer-shell).
enum class LayerShellWish { Default, Use, Avoid };

// What the arguments asked for, as a reader found it.
struct GivenOptions {
    bool help = false;
    bool version = false;
    bool settings = false;           // --settings FILE
    bool settingsFileEmpty = false;  // and FILE was "" (unless the reader refused it itself)
    bool userSettings = false;
    bool autostart = false;
    bool noAutostart = false;
    bool layerShell = false;
    bool noLayerShell = false;
};

struct OptionsDecision {
    Action action = Action::Run;
    SettingsPlace settings = SettingsPlace::CurrentDirectory;
    LayerShellWish layerShell = LayerShellWish::Default;
    const char* reason = "";  // Refuse: what was wrong, one line
};

// Help, then the version, answer whatever else was given; then options that contradict
// each other are refused, before an empty file name.
OptionsDecision decideOptions(const GivenOptions& given);

// The readers' own reasons, %1 standing for the argument. The last two are worded as
// Qt's parser words them, so both programs say the same.
inline constexpr const char* kUnexpectedArgument = "Unexpected argument '%1'.";
inline constexpr const char* kSettingsNeedsFile = "--settings needs a file name.";
inline constexpr const char* kUnknownOption = "Unknown option '%1'.";
inline constexpr const char* kMissingValue = "Missing value after '%1'.";

}  // namespace ruvia::launch
