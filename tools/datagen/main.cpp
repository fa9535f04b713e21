// morvane_datagen <Data folder>: writes the whole Data/ tree. Every area runs
// even when an earlier one failed, so one run reports every problem; the exit
// status is non-zero if any area failed.
#include <cstdio>
#include <string>

#include "DataGen.h"

int main(int argc, char** argv) {
    const std::string outDir = argc > 1 ? argv[1] : "Data";
    // No area can write anything if the output folder itself is impossible.
    if (!datagen::EnsureParentDir(outDir + "/.")) {
        std::fprintf(stderr, "morvane_datagen: cannot create the output folder %s\n", outDir.c_str());
        return 1;
    }
    struct Area {
        const char* name;
        bool (*write)(const std::string&);
    };
    const Area areas[] = {
        {"props", datagen::WriteProps},
        {"level", datagen::WriteLevel},
        {"textures", datagen::WriteTextures},
        {"sounds", datagen::WriteSounds},
    };
    int failures = 0;
    for (const Area& area : areas) {
        if (!area.write(outDir)) {
            std::fprintf(stderr, "morvane_datagen: writing the %s failed\n", area.name);
            ++failures;
        }
    }
    if (failures) return 1;
    std::printf("morvane_datagen: wrote %s\n", outDir.c_str());
    return 0;
}
