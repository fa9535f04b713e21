// The application icon, painted with the same signed-distance helpers as the
// HUD textures. Drawn at a fixed 256-unit design grid scaled to the size, so
// every size shows the same picture.
#include "Icon.h"

#include <algorithm>
#include <cmath>

#include "TexturePaint.h"

namespace datagen {

Image MakeIcon(int size) {
    if (size < 16) return Image();
    Image img(size, size, Rgba{0, 0, 0, 0});
    const float s = size / 256.0f;  // design units to pixels
    const float c = size * 0.5f;

    // Ground: a dark steel tile with rounded corners, lighter towards the top.
    const float half = 120.0f * s, radius = 36.0f * s;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const float px = x + 0.5f, py = y + 0.5f;
            const float cov = Coverage(SdBox(px, py, c, c, half, half, radius));
            if (cov <= 0) continue;
            const float t = py / size;
            const float grain = FractalNoise(px / s, py / s, 256, 8, 3, 71u) * 0.06f;
            Over(img, x, y, MakeRgba(0.16f - 0.08f * t + grain, 0.17f - 0.09f * t + grain, 0.19f - 0.09f * t + grain),
                 cov);
        }
    }

    // A blood splash in the middle, kept inside the tile.
    const int splashSize = std::max(8, int(200.0f * s));
    Image splash = MakeSplatter(splashSize, 91u, Rgba{178, 12, 10, 255}, Rgba{82, 0, 0, 255});
    const int ox = int(c) - splashSize / 2, oy = int(c) - splashSize / 2;
    for (int y = 0; y < splashSize; ++y) {
        for (int x = 0; x < splashSize; ++x) {
            const int ix = ox + x, iy = oy + y;
            if (ix < 0 || iy < 0 || ix >= size || iy >= size) continue;
            const uint8_t* p = splash.At(x, y);
            const float inside = Coverage(SdBox(ix + 0.5f, iy + 0.5f, c, c, half - 6 * s, half - 6 * s, radius));
            Over(img, ix, iy, Rgba{p[0], p[1], p[2], 255}, (p[3] / 255.0f) * inside);
        }
    }

    // The crosshair: a ring with four ticks and a centre dot, outlined in
    // black so it reads on the splash at small sizes.
    const float ringR = 62.0f * s, ringW = 7.0f * s, tickW = 6.0f * s;
    auto crosshair = [&](float px, float py, float grow) {
        float d = std::fabs(SdCircle(px, py, c, c, ringR)) - ringW - grow;
        d = std::min(d, SdSegment(px, py, c, c - 96 * s, c, c - 34 * s, tickW + grow));
        d = std::min(d, SdSegment(px, py, c, c + 34 * s, c, c + 96 * s, tickW + grow));
        d = std::min(d, SdSegment(px, py, c - 96 * s, c, c - 34 * s, c, tickW + grow));
        d = std::min(d, SdSegment(px, py, c + 34 * s, c, c + 96 * s, c, tickW + grow));
        d = std::min(d, SdCircle(px, py, c, c, 9.0f * s + grow));
        return d;
    };
    const float outline = std::max(1.0f, 4.0f * s);
    PaintAll(img, Rgba{0, 0, 0, 230}, [&](float px, float py) { return Coverage(crosshair(px, py, outline)); });
    PaintAll(img, Rgba{255, 236, 226, 255}, [&](float px, float py) { return Coverage(crosshair(px, py, 0)); });
    return img;
}

const std::vector<int>& IconSizes() {
    static const std::vector<int> sizes{48, 64, 128, 256};
    return sizes;
}

bool WriteIcons(const std::string& outDir) {
    bool ok = true;
    for (int size : IconSizes()) {
        const std::string dir = outDir + "/" + std::to_string(size) + "x" + std::to_string(size);
        ok = WritePng(dir + "/morvane.png", MakeIcon(size)) && ok;
    }
    return ok;
}

}  // namespace datagen
