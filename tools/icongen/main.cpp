// Writes the application icon in the sizes the desktop looks for:
//   morvane_icongen <output folder>   ->  <folder>/<N>x<N>/morvane.png
#include <cstdio>

#include "Icon.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: morvane_icongen <output folder>\n");
        return 2;
    }
    return datagen::WriteIcons(argv[1]) ? 0 : 1;
}
