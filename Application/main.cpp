// Process entry: reads the options (--help, --version and the run-only
// settings), the player's settings file, then runs the game, which reads
// Data/ under the working directory.
#include <clocale>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "Application/App.h"
#include "Application/CommandLine.h"
#include "Framework/Settings/Settings.h"

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    const std::string settingsPath = settings_file::DefaultPath();
    const CommandLine line = ParseCommandLine(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc));
    int exitCode = 0;
    if (HandleCommandLine(line, settingsPath, exitCode)) return exitCode;

    // Without its data the game still runs (empty models, white textures,
    // silence); say why the screen is bare.
    std::error_code ec;
    if (!std::filesystem::is_directory("Data", ec)) {
        const std::string cwd = std::filesystem::current_path(ec).string();
        std::fprintf(stderr,
                     "morvane: warning: game data not found in %s (no Data/ folder); "
                     "start the game with the morvane launcher or from the folder that holds Data/\n",
                     cwd.c_str());
    }

    SettingsStore& settings = SettingsStore::GetInstance();
    if (settingsPath.empty())
        std::fprintf(stderr, "morvane: warning: no home folder found; settings are not kept\n");
    settings.Open(settingsPath);
    settings.SetOverrides(line.overrides);
    return App::GetInstance().Run();
}
