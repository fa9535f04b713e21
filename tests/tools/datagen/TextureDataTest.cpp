// Checks the generated HUD and effect textures against the layouts the
// drawing code relies on.
#include <gtest/gtest.h>

#include <stb_image.h>
#include <unistd.h>

#include "tools/datagen/DataGen.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

struct Picture {
    int w = 0, h = 0;
    std::vector<uint8_t> px;  // RGBA
    bool Loaded() const { return w > 0; }
    const uint8_t* At(int x, int y) const { return &px[(size_t(y) * w + x) * 4]; }
    int Alpha(int x, int y) const { return At(x, y)[3]; }
};

Picture Load(const std::string& name) {
    Picture p;
    std::string path = std::string(MORVANE_BINARY_DIR) + "/Data/" + name;
    int n = 0;
    unsigned char* data = stbi_load(path.c_str(), &p.w, &p.h, &n, 4);
    if (!data) { p.w = p.h = 0; return p; }
    p.px.assign(data, data + size_t(p.w) * p.h * 4);
    stbi_image_free(data);
    return p;
}

TEST(TextureData, EveryTextureExistsWithItsSize) {
    struct Size { const char* name; int w, h; };
    const Size sizes[] = {
        {"Aim.png", 100, 100},       {"white.png", 16, 16},        {"number.png", 165, 26},
        {"keycard.png", 1920, 1080}, {"hpmark.png", 30, 30},       {"hp.png", 128, 32},
        {"reload.png", 512, 128},    {"bloodFrame.png", 1280, 720}, {"info.png", 128, 128},
        {"info2.png", 128, 128},     {"cliclstart.png", 400, 90},  {"clicktitle.png", 400, 90},
        {"titleBlood.png", 512, 512}, {"BulletHole2.png", 64, 64}, {"BulletHole.png", 128, 128},
        {"bullet.png", 32, 128},     {"shadow.png", 64, 64},       {"MuzzleFlash.png", 128, 128},
        {"light.png", 128, 128},     {"electronic.jpg", 128, 128}, {"HS3.jpg", 128, 128},
        {"smoke.png", 1024, 1024},
    };
    for (const Size& s : sizes) {
        SCOPED_TRACE(s.name);
        Picture p = Load(s.name);
        ASSERT_TRUE(p.Loaded());
        EXPECT_EQ(p.w, s.w);
        EXPECT_EQ(p.h, s.h);
    }
    // Pictures whose size is free within a range.
    struct Range { const char* name; int minW, maxW, minH, maxH; };
    const Range ranges[] = {
        {"title.png", 3000, 5000, 800, 1600}, {"clear.png", 800, 1200, 200, 400}, {"YOUAREDEAD.jpg", 800, 1200, 200, 400},
        {"Hit.png", 64, 128, 64, 128},        {"Hit2.png", 64, 128, 64, 128},     {"HS.png", 64, 128, 64, 128},
        {"HS2.png", 64, 128, 64, 128},        {"gero.png", 64, 128, 64, 128},     {"bubble.png", 64, 128, 64, 128},
    };
    for (const Range& r : ranges) {
        SCOPED_TRACE(r.name);
        Picture p = Load(r.name);
        ASSERT_TRUE(p.Loaded());
        EXPECT_GE(p.w, r.minW); EXPECT_LE(p.w, r.maxW);
        EXPECT_GE(p.h, r.minH); EXPECT_LE(p.h, r.maxH);
    }
}

TEST(TextureData, NumberStripHasElevenDistinctInkedCells) {
    Picture p = Load("number.png");
    ASSERT_TRUE(p.Loaded());
    std::vector<std::vector<int>> cells;
    for (int d = 0; d < 11; ++d) {
        std::vector<int> alpha;
        int ink = 0;
        for (int y = 0; y < 26; ++y)
            for (int x = 15 * d; x < 15 * d + 15; ++x) {
                alpha.push_back(p.Alpha(x, y));
                if (p.Alpha(x, y) > 200 && p.At(x, y)[0] > 150) ++ink;  // bright glyph body
            }
        EXPECT_GT(ink, 15) << "cell " << d;
        for (size_t k = 0; k < cells.size(); ++k) EXPECT_NE(alpha, cells[k]) << "cells " << k << " and " << d << " are the same";
        cells.push_back(alpha);
    }
}

// Hue in degrees of the mean colour of the opaque pixels of a rectangle.
double MeanHue(const Picture& p, int x0, int y0, int x1, int y1, double* saturation) {
    double r = 0, g = 0, b = 0;
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const uint8_t* c = p.At(x, y);
            if (c[3] < 250) continue;
            r += c[0]; g += c[1]; b += c[2]; ++n;
        }
    if (n == 0) return -1;
    r /= n; g /= n; b /= n;
    double mx = std::max({r, g, b}), mn = std::min({r, g, b});
    *saturation = mx > 0 ? (mx - mn) / mx : 0;
    if (mx == mn) return 0;
    double h;
    if (mx == r) h = std::fmod((g - b) / (mx - mn), 6.0);
    else if (mx == g) h = (b - r) / (mx - mn) + 2;
    else h = (r - g) / (mx - mn) + 4;
    h *= 60;
    return h < 0 ? h + 360 : h;
}

TEST(TextureData, KeycardColumnsAreYellowBlueAndOrange) {
    Picture p = Load("keycard.png");
    ASSERT_TRUE(p.Loaded());
    // Sample the card body below the stripes, right of the chip.
    double hues[3], sat[3];
    for (int c = 0; c < 3; ++c) {
        hues[c] = MeanHue(p, 640 * c + 260, 320, 640 * c + 600, 440, &sat[c]);
        EXPECT_GT(sat[c], 0.5) << "card " << c;
    }
    EXPECT_GT(hues[0], 40); EXPECT_LT(hues[0], 60);    // yellow
    EXPECT_GT(hues[1], 200); EXPECT_LT(hues[1], 235);  // blue
    EXPECT_GT(hues[2], 15); EXPECT_LT(hues[2], 35);    // orange
    // The cards do not spill over each other's columns: the seams are clear.
    for (int c = 1; c < 3; ++c)
        for (int y = 0; y < 1080; y += 7) {
            EXPECT_EQ(p.Alpha(640 * c - 1, y), 0);
            EXPECT_EQ(p.Alpha(640 * c, y), 0);
        }
}

TEST(TextureData, BulletHoleOnlyInTopLeftQuarter) {
    Picture p = Load("BulletHole.png");
    ASSERT_TRUE(p.Loaded());
    int inside = 0;
    for (int y = 0; y < p.h; ++y)
        for (int x = 0; x < p.w; ++x) {
            bool quarter = x < p.w / 2 && y < p.h / 2;
            if (quarter) {
                if (p.Alpha(x, y) > 200) ++inside;
            } else {
                ASSERT_EQ(p.Alpha(x, y), 0) << "at " << x << "," << y;
            }
        }
    EXPECT_GT(inside, 200);
    // The edges of the sampled quarter stay clear too, so filtering does not
    // cut the hole off.
    for (int i = 0; i < 64; ++i) {
        EXPECT_EQ(p.Alpha(i, 0), 0);
        EXPECT_EQ(p.Alpha(0, i), 0);
        EXPECT_EQ(p.Alpha(i, 63), 0);
        EXPECT_EQ(p.Alpha(63, i), 0);
    }
}

TEST(TextureData, AdditiveTexturesHaveBlackBordersAndBrightCentres) {
    for (const char* name : {"MuzzleFlash.png", "light.png", "electronic.jpg", "HS3.jpg"}) {
        SCOPED_TRACE(name);
        Picture p = Load(name);
        ASSERT_TRUE(p.Loaded());
        int worst = 0;
        for (int i = 0; i < p.w; ++i)
            for (int edge : {0, 1, p.h - 2, p.h - 1})
                for (int k = 0; k < 3; ++k) {
                    worst = std::max(worst, int(p.At(i, edge)[k]));
                    worst = std::max(worst, int(p.At(edge, i)[k]));
                }
        EXPECT_LE(worst, 10);  // black adds nothing (JPEG may leave a trace)
        const uint8_t* c = p.At(p.w / 2, p.h / 2);
        EXPECT_GT(std::max({c[0], c[1], c[2]}), 200);
        EXPECT_EQ(p.At(0, 0)[3], 255);
    }
}

TEST(TextureData, BloodFrameHasBloodAtTheEdgesAndAClearCentre) {
    Picture p = Load("bloodFrame.png");
    ASSERT_TRUE(p.Loaded());
    for (int y = 230; y < 490; ++y)
        for (int x = 300; x < 980; ++x) ASSERT_EQ(p.Alpha(x, y), 0) << "at " << x << "," << y;
    double edge = 0;
    int n = 0;
    for (int x = 0; x < p.w; ++x)
        for (int y : {0, 10, p.h - 11, p.h - 1}) {
            edge += p.Alpha(x, y);
            ++n;
            const uint8_t* c = p.At(x, y);
            EXPECT_GT(c[0], c[1] + 40);  // red
        }
    EXPECT_GT(edge / n, 200);
}

TEST(TextureData, EverySampledSmokeWindowHoldsAWholePuff) {
    Picture p = Load("smoke.png");
    ASSERT_TRUE(p.Loaded());
    struct Window { double u0, v0, u1, v1; };
    std::vector<Window> windows = {{0.375, 0.125, 0.5, 0.25}, {0, 0.3, 0.125, 0.475}, {0.875, 0.375, 1, 0.5}};
    for (int k = 0; k < 8; ++k) windows.push_back({k * 0.125, 0.125, k * 0.125 + 0.125, 0.25});
    for (const Window& w : windows) {
        SCOPED_TRACE(testing::Message() << "window (" << w.u0 << "," << w.v0 << ")-(" << w.u1 << "," << w.v1 << ")");
        int x0 = int(std::floor(w.u0 * p.w)), x1 = int(std::ceil(w.u1 * p.w)) - 1;
        int y0 = int(std::floor(w.v0 * p.h)), y1 = int(std::ceil(w.v1 * p.h)) - 1;
        int border = 0, peak = 0, covered = 0;
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                int a = p.Alpha(x, y);
                bool onEdge = x <= x0 + 1 || x >= x1 - 1 || y <= y0 + 1 || y >= y1 - 1;
                if (onEdge) border = std::max(border, a);
                peak = std::max(peak, a);
                if (a > 64) ++covered;
            }
        EXPECT_LE(border, 2);  // the puff fades out before the window's edge
        EXPECT_GT(peak, 150);
        EXPECT_GT(covered, (x1 - x0) * (y1 - y0) / 8);  // a puff, not a speck
    }
}

TEST(TextureData, OverlayPicturesHaveTransparentGround) {
    // Sprites drawn over the scene: corners clear, something opaque inside.
    for (const char* name : {"Aim.png", "hpmark.png", "titleBlood.png", "BulletHole2.png", "shadow.png", "Hit.png",
                             "Hit2.png", "HS.png", "HS2.png", "gero.png", "bubble.png", "bullet.png", "title.png"}) {
        SCOPED_TRACE(name);
        Picture p = Load(name);
        ASSERT_TRUE(p.Loaded());
        EXPECT_EQ(p.Alpha(0, 0), 0);
        EXPECT_EQ(p.Alpha(p.w - 1, 0), 0);
        EXPECT_EQ(p.Alpha(0, p.h - 1), 0);
        EXPECT_EQ(p.Alpha(p.w - 1, p.h - 1), 0);
        int maxAlpha = 0;
        for (size_t i = 3; i < p.px.size(); i += 4) maxAlpha = std::max(maxAlpha, int(p.px[i]));
        EXPECT_GT(maxAlpha, 180);
    }
}

TEST(TextureData, RegeneratingGivesTheSameBytesAsTheBuild) {
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / ("morvane_textures_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    ASSERT_TRUE(datagen::WriteTextures(dir.string()));
    auto bytes = [](const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return std::vector<char>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    };
    int files = 0;
    for (const auto& entry : fs::directory_iterator(dir)) {
        SCOPED_TRACE(entry.path().filename().string());
        fs::path built = fs::path(MORVANE_BINARY_DIR) / "Data" / entry.path().filename();
        EXPECT_TRUE(bytes(entry.path()) == bytes(built));
        ++files;
    }
    EXPECT_EQ(files, 31);
    fs::remove_all(dir);
}

}  // namespace
