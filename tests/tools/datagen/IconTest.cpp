// The application icon: every theme size is painted and written, the
// rounded corners stay transparent, the picture is the same at every size,
// and painting is repeatable.
#include <gtest/gtest.h>

#include <stb_image.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "Icon.h"

using datagen::Image;
using datagen::MakeIcon;

namespace {

// Mean colour of a square patch given in fractions of the icon's size.
void PatchMean(const Image& img, float fx, float fy, float frac, double rgba[4]) {
    const int x0 = int(fx * img.width), y0 = int(fy * img.height), n = std::max(1, int(frac * img.width));
    for (int k = 0; k < 4; ++k) rgba[k] = 0;
    for (int y = y0; y < y0 + n; ++y)
        for (int x = x0; x < x0 + n; ++x)
            for (int k = 0; k < 4; ++k) rgba[k] += img.At(x, y)[k];
    for (int k = 0; k < 4; ++k) rgba[k] /= double(n) * n;
}

}  // namespace

TEST(Icon, CornersAreTransparentAndTheTileIsOpaque) {
    for (int size : datagen::IconSizes()) {
        const Image icon = MakeIcon(size);
        ASSERT_EQ(icon.width, size);
        ASSERT_EQ(icon.height, size);
        EXPECT_EQ(icon.At(0, 0)[3], 0) << size;
        EXPECT_EQ(icon.At(size - 1, size - 1)[3], 0) << size;
        EXPECT_EQ(icon.At(size / 2, size / 10)[3], 255) << size;
        EXPECT_EQ(icon.At(size / 10, size / 2)[3], 255) << size;
    }
    EXPECT_EQ(MakeIcon(8).width, 0) << "too small to paint";
}

TEST(Icon, ShowsTheSamePictureAtEverySize) {
    const Image big = MakeIcon(256);
    // A light crosshair centre dot on a red splash on a dark tile.
    for (int size : datagen::IconSizes()) {
        const Image icon = MakeIcon(size);
        const uint8_t* centre = icon.At(size / 2, size / 2);
        EXPECT_GT(centre[0], 200) << size;
        EXPECT_GT(centre[1], 180) << size;
        double splash[4], tile[4], ref[4];
        PatchMean(icon, 0.36f, 0.36f, 0.06f, splash);  // between the ring and the centre
        PatchMean(icon, 0.08f, 0.45f, 0.04f, tile);    // the tile's edge, outside the splash
        EXPECT_GT(splash[0], splash[1] + 40) << size << ": red splash";
        EXPECT_LT(tile[0] + tile[1] + tile[2], 3 * 80.0) << size << ": dark tile";
        PatchMean(big, 0.36f, 0.36f, 0.06f, ref);
        EXPECT_NEAR(splash[0], ref[0], 60) << size;
    }
}

TEST(Icon, WritesEveryThemeSizeAsPngRepeatably) {
    const std::string dir = testing::TempDir() + "morvane_icons";
    std::filesystem::remove_all(dir);
    ASSERT_TRUE(datagen::WriteIcons(dir));
    for (int size : datagen::IconSizes()) {
        const std::string path = dir + "/" + std::to_string(size) + "x" + std::to_string(size) + "/morvane.png";
        int w = 0, h = 0, channels = 0;
        unsigned char* data = stbi_load(path.c_str(), &w, &h, &channels, 4);
        ASSERT_NE(data, nullptr) << path;
        EXPECT_EQ(w, size);
        EXPECT_EQ(h, size);
        const Image painted = MakeIcon(size);
        EXPECT_EQ(0, std::memcmp(data, painted.pixels.data(), painted.pixels.size())) << path;
        stbi_image_free(data);
    }
    // Into a path that cannot be a folder: reported, not crashed.
    const std::string file = dir + "/plain-file";
    std::FILE* f = std::fopen(file.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    EXPECT_FALSE(datagen::WriteIcons(file));
    std::filesystem::remove_all(dir);
}
