// Where the game's fixed-size picture sits in a window of another size: as
// large as fits with its aspect kept, centred, with black bars on the two
// sides that are left over.
#pragma once

namespace Platform {

struct Letterbox {
    // The picture's rectangle in window pixels, from the top-left corner.
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    // Window pixels per picture pixel.
    float scale = 1.0f;
};

// The picture of pictureWidth x pictureHeight fitted into the window.
// Degenerate sizes give the picture unscaled at the corner.
Letterbox FitPicture(int windowWidth, int windowHeight, int pictureWidth, int pictureHeight);

}  // namespace Platform
