// RGBA8 images for the generator, with a few deterministic procedural helpers
// (hash noise, value noise, fractal noise) and PNG output through
// stb_image_write. Everything is a pure function of its inputs.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace datagen {

struct Rgba {
    uint8_t r = 0, g = 0, b = 0, a = 255;
};

struct Image {
    int width = 0, height = 0;
    std::vector<uint8_t> pixels;  // RGBA, top row first

    Image() = default;
    Image(int w, int h, Rgba fill = {0, 0, 0, 255}) : width(w), height(h), pixels(size_t(w) * h * 4) {
        for (int i = 0; i < w * h; ++i) {
            pixels[i * 4 + 0] = fill.r; pixels[i * 4 + 1] = fill.g;
            pixels[i * 4 + 2] = fill.b; pixels[i * 4 + 3] = fill.a;
        }
    }
    uint8_t* At(int x, int y) { return &pixels[(size_t(y) * width + x) * 4]; }
    const uint8_t* At(int x, int y) const { return &pixels[(size_t(y) * width + x) * 4]; }
    void Set(int x, int y, Rgba c) {
        if (x < 0 || y < 0 || x >= width || y >= height) return;
        uint8_t* p = At(x, y); p[0] = c.r; p[1] = c.g; p[2] = c.b; p[3] = c.a;
    }
    // Alpha-blends c over the pixel with coverage 0..1.
    void Blend(int x, int y, Rgba c, float coverage) {
        if (x < 0 || y < 0 || x >= width || y >= height || coverage <= 0) return;
        float a = (c.a / 255.0f) * std::fmin(coverage, 1.0f);
        uint8_t* p = At(x, y);
        p[0] = uint8_t(p[0] + (c.r - p[0]) * a + 0.5f);
        p[1] = uint8_t(p[1] + (c.g - p[1]) * a + 0.5f);
        p[2] = uint8_t(p[2] + (c.b - p[2]) * a + 0.5f);
        p[3] = uint8_t(std::fmin(255.0f, p[3] + (255 - p[3]) * a + 0.5f));
    }
};

// PNG (level 9 compression, deterministic) and JPEG (quality 92) writers.
// Both create missing folders. False on failure.
bool WritePng(const std::string& path, const Image& image);
bool WriteJpg(const std::string& path, const Image& image);
// The PNG file's bytes (as WritePng writes them); empty on failure.
std::vector<unsigned char> EncodePng(const Image& image);

// Integer hash of a lattice point and a seed, in 0..1.
inline float HashNoise(int x, int y, uint32_t seed) {
    uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (h & 0xffffff) / float(0xffffff);
}

// Smooth value noise, tiling with the given period (in lattice cells).
inline float ValueNoise(float x, float y, int period, uint32_t seed) {
    int x0 = int(std::floor(x)), y0 = int(std::floor(y));
    float fx = x - x0, fy = y - y0;
    auto wrap = [period](int v) { return ((v % period) + period) % period; };
    float sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    float a = HashNoise(wrap(x0), wrap(y0), seed), b = HashNoise(wrap(x0 + 1), wrap(y0), seed);
    float c = HashNoise(wrap(x0), wrap(y0 + 1), seed), d = HashNoise(wrap(x0 + 1), wrap(y0 + 1), seed);
    return (a + (b - a) * sx) + ((c + (d - c) * sx) - (a + (b - a) * sx)) * sy;
}

// Fractal (octave) noise over a texture of size w x h that tiles: u, v in pixels.
inline float FractalNoise(float u, float v, int w, int basePeriod, int octaves, uint32_t seed) {
    float sum = 0, amp = 0.5f, norm = 0;
    int period = basePeriod;
    for (int o = 0; o < octaves; ++o) {
        float scale = float(period) / float(w);
        sum += amp * ValueNoise(u * scale, v * scale, period, seed + o * 101u);
        norm += amp;
        amp *= 0.5f;
        period *= 2;
    }
    return sum / norm;
}

}  // namespace datagen
