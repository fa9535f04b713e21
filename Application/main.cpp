// Process entry: no options, no configuration; the game reads Data/ under
// the working directory.
#include <clocale>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "Application/App.h"

int main(int, char**) {
    std::setlocale(LC_ALL, "");
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
    return App::GetInstance().Run();
}
