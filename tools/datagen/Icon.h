// The game's application icon (for the desktop menu and the window manager):
// a dark square with rounded corners, a blood splash and a light crosshair.
// Painted procedurally, so the same size always gives the same pixels.
#pragma once

#include <string>
#include <vector>

#include "Image.h"

namespace datagen {

// The icon at size x size pixels (size >= 16; smaller sizes give an empty image).
Image MakeIcon(int size);

// The sizes the desktop icon themes look for.
const std::vector<int>& IconSizes();

// Writes <outDir>/<size>x<size>/morvane.png for every size of IconSizes().
bool WriteIcons(const std::string& outDir);

}  // namespace datagen
