// morvane_datagen <Data folder>: writes the whole Data/ tree. Every area runs
// even when an earlier one failed, so one run reports every problem; the exit
// status is non-zero if any area failed.
// morvane_datagen --samples <folder>: writes the sample models of the tests
// (packed and data-URI textures, flat shapes, a sparse accessor) instead.
#include <cstdio>
#include <string>

#include "DataGen.h"
#include "SampleModels.h"

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--samples") {
        if (argc != 3) {
            std::fprintf(stderr, "usage: morvane_datagen --samples <folder>\n");
            return 2;
        }
        if (!datagen::WriteSampleModels(argv[2])) return 1;
        std::printf("morvane_datagen: wrote the sample models into %s\n", argv[2]);
        return 0;
    }
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
