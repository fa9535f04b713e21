// The program's options: --help, --version and the run-only settings
// (--fullscreen, --windowed, --render-scale, --mute, --sensitivity).
#pragma once

#include <string>
#include <vector>

#include "Framework/Settings/Settings.h"

struct CommandLine {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    // What was wrong, for Action::Error ("unknown option '--foo'").
    std::string error;
    SettingsOverrides overrides;
};

// Reads the arguments after the program name. Options may be given as
// "--name value" or "--name=value"; a later option wins over an earlier
// one. Any fault makes the whole line an error, even beside --help.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// The usage text; settingsPath is where the settings file is kept (empty:
// nowhere).
std::string UsageText(const std::string& settingsPath);
// "MORVANE  ver1.0.0": the window caption, also printed by --version.
std::string VersionText();

// What the program does with its command line before it starts the game:
// prints help, version or the error with the usage, and gives the exit
// code; returns false when the game is to start.
bool HandleCommandLine(const CommandLine& line, const std::string& settingsPath, int& exitCode);
