#include "Framework/Platform/Letterbox.h"

#include <algorithm>
#include <cmath>

namespace Platform {

Letterbox FitPicture(int windowWidth, int windowHeight, int pictureWidth, int pictureHeight) {
    Letterbox box;
    box.width = pictureWidth;
    box.height = pictureHeight;
    if (windowWidth <= 0 || windowHeight <= 0 || pictureWidth <= 0 || pictureHeight <= 0) return box;
    box.scale = std::min(static_cast<float>(windowWidth) / static_cast<float>(pictureWidth),
                         static_cast<float>(windowHeight) / static_cast<float>(pictureHeight));
    // The side that fits exactly keeps the window's size, so rounding
    // never leaves a one-pixel bar there.
    box.width = std::min(windowWidth, static_cast<int>(std::lround(pictureWidth * box.scale)));
    box.height = std::min(windowHeight, static_cast<int>(std::lround(pictureHeight * box.scale)));
    box.x = (windowWidth - box.width) / 2;
    box.y = (windowHeight - box.height) / 2;
    return box;
}

}  // namespace Platform
