// PNG/JPEG output through stb_image_write, and folder creation.
#include <cstdio>
#include <filesystem>
#include <system_error>

#include <stb_image_write.h>

#include "DataGen.h"
#include "Image.h"

namespace datagen {

bool EnsureParentDir(const std::string& filePath) {
    std::filesystem::path parent = std::filesystem::path(filePath).parent_path();
    if (parent.empty()) return true;
    std::error_code ec;
    std::filesystem::create_directories(parent, ec);
    if (ec || !std::filesystem::is_directory(parent)) {
        std::fprintf(stderr, "cannot create folder %s: %s\n", parent.string().c_str(),
                     ec.message().c_str());
        return false;
    }
    return true;
}

static bool ValidImage(const std::string& path, const Image& image) {
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() != size_t(image.width) * size_t(image.height) * 4) {
        std::fprintf(stderr, "cannot write %s: image is empty or inconsistent\n", path.c_str());
        return false;
    }
    return true;
}

bool WritePng(const std::string& path, const Image& image) {
    if (!ValidImage(path, image) || !EnsureParentDir(path)) return false;
    stbi_write_png_compression_level = 9;
    if (!stbi_write_png(path.c_str(), image.width, image.height, 4, image.pixels.data(),
                        image.width * 4)) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

std::vector<unsigned char> EncodePng(const Image& image) {
    std::vector<unsigned char> png;
    if (!ValidImage("a picture in memory", image)) return png;
    stbi_write_png_compression_level = 9;
    stbi_write_png_to_func(
        [](void* context, void* data, int size) {
            auto* out = static_cast<std::vector<unsigned char>*>(context);
            out->insert(out->end(), static_cast<unsigned char*>(data), static_cast<unsigned char*>(data) + size);
        },
        &png, image.width, image.height, 4, image.pixels.data(), image.width * 4);
    return png;
}

bool WriteJpg(const std::string& path, const Image& image) {
    if (!ValidImage(path, image) || !EnsureParentDir(path)) return false;
    // JPEG has no alpha: drop it (stb writes RGB when given 3 components).
    std::vector<uint8_t> rgb(size_t(image.width) * image.height * 3);
    for (size_t i = 0, n = size_t(image.width) * image.height; i < n; ++i) {
        rgb[i * 3 + 0] = image.pixels[i * 4 + 0];
        rgb[i * 3 + 1] = image.pixels[i * 4 + 1];
        rgb[i * 3 + 2] = image.pixels[i * 4 + 2];
    }
    if (!stbi_write_jpg(path.c_str(), image.width, image.height, 3, rgb.data(), 92)) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

}  // namespace datagen
