// Procedural textures of the laboratory's walls, floors, ceilings, lamps,
// stairs and signs. All tile seamlessly (noise periods divide the size).
#include <cmath>
#include <string>

#include "Image.h"
#include "LevelKit.h"
#include "TexturePaint.h"

namespace datagen {
namespace level {

namespace {

constexpr int kSize = 256;

Rgba Shade(float r, float g, float b, float k) { return MakeRgba(r * k, g * k, b * k); }

// Vinyl floor tiles (4 x 4 per texture) with grout, scuffs and dark stains.
Image FloorTexture() {
    Image img(kSize, kSize);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            const int tx = x / 64, ty = y / 64;
            const float tile = 0.9f + 0.1f * HashNoise(tx, ty, 5u);
            const float n = FractalNoise(float(x), float(y), kSize, 8, 4, 11u);
            const float stain = SmoothStep(0.58f, 0.75f, FractalNoise(float(x), float(y), kSize, 4, 3, 19u));
            const bool grout = (x % 64) < 2 || (y % 64) < 2;
            float k = tile * (0.78f + 0.3f * n) * (1.0f - 0.45f * stain);
            if (grout) k *= 0.45f;
            img.Set(x, y, Shade(0.56f, 0.6f, 0.58f, k));
        }
    return img;
}

// Lower wall band: glazed tiles, grimy towards the floor.
Image WallLowTexture() {
    Image img(kSize, kSize);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            const float n = FractalNoise(float(x), float(y), kSize, 16, 3, 23u);
            const bool grout = (x % 32) < 2 || (y % 32) < 2;
            const float streak = FractalNoise(float(x), float(y) * 0.1f, kSize, 32, 2, 29u);
            float k = (0.72f + 0.25f * n) * (1.0f - 0.3f * SmoothStep(0.5f, 0.8f, streak));
            if (grout) k *= 0.55f;
            img.Set(x, y, Shade(0.42f, 0.52f, 0.52f, k));
        }
    return img;
}

// Upper wall: painted panels with seams, rivets and rust streaks running down.
Image WallHighTexture() {
    Image img(kSize, kSize);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            const float n = FractalNoise(float(x), float(y), kSize, 8, 4, 31u);
            const float streak = FractalNoise(float(x) * 4.0f, float(y) * 0.25f, kSize, 16, 3, 37u);
            float k = 0.8f + 0.18f * n;
            const int px = x % 128, py = y % 256;
            if (px < 2 || py < 2) k *= 0.5f;
            else if (px < 4 || py < 4) k *= 1.1f;
            const bool rivet = ((px - 8) * (px - 8) + (py - 8) * (py - 8) < 6) ||
                               ((px - 120) * (px - 120) + (py - 8) * (py - 8) < 6);
            if (rivet) k *= 0.6f;
            const float rust = SmoothStep(0.62f, 0.8f, streak);
            Rgba c = Shade(0.55f, 0.6f, 0.57f, k);
            Rgba r = Shade(0.42f, 0.3f, 0.2f, k);
            img.Set(x, y, c);
            img.Blend(x, y, r, rust * 0.45f);
        }
    return img;
}

// Ceiling tiles with perforations.
Image CeilingTexture() {
    Image img(kSize, kSize);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            const float n = FractalNoise(float(x), float(y), kSize, 16, 3, 41u);
            float k = 0.7f + 0.2f * n;
            if ((x % 128) < 3 || (y % 128) < 3) k *= 0.4f;
            if ((x % 8) == 4 && (y % 8) == 4) k *= 0.6f;
            const float water = SmoothStep(0.6f, 0.72f, FractalNoise(float(x), float(y), kSize, 4, 3, 43u));
            img.Set(x, y, Shade(0.66f, 0.66f, 0.62f, k * (1.0f - 0.35f * water)));
        }
    return img;
}

// A lamp's diffuser: bright with a grid and a darker rim.
Image LampTexture() {
    Image img(64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            float k = 0.95f;
            if (x < 4 || y < 4 || x >= 60 || y >= 60) k = 0.45f;
            else if (x % 12 == 0 || y % 12 == 0) k = 0.75f;
            img.Set(x, y, MakeRgba(k, k * 0.98f, k * 0.9f));
        }
    return img;
}

// Worn steel with scratches.
Image MetalTexture(float r, float g, float b, uint32_t seed) {
    Image img(kSize, kSize);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            const float n = FractalNoise(float(x), float(y), kSize, 8, 4, seed);
            const float scratch = FractalNoise(float(x) * 0.05f, float(y) * 4.0f, kSize, 16, 2, seed + 5);
            const float k = 0.7f + 0.25f * n + 0.15f * SmoothStep(0.7f, 0.8f, scratch);
            img.Set(x, y, Shade(r, g, b, k));
        }
    return img;
}

// Yellow and black diagonal stripes, scuffed.
Image HazardTexture() {
    Image img(kSize, kSize);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            const bool yellow = ((x + y) / 32) % 2 == 0;
            const float n = FractalNoise(float(x), float(y), kSize, 16, 4, 53u);
            const float wear = SmoothStep(0.62f, 0.75f, n);
            Rgba c = yellow ? Shade(0.86f, 0.68f, 0.1f, 0.85f + 0.15f * n) : Shade(0.08f, 0.08f, 0.08f, 1.0f);
            img.Set(x, y, c);
            img.Blend(x, y, Shade(0.35f, 0.35f, 0.33f, 1.0f), wear * 0.8f);
        }
    return img;
}

// Rough cast concrete with form-work lines.
Image ConcreteTexture() {
    Image img(kSize, kSize);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            const float n = FractalNoise(float(x), float(y), kSize, 8, 5, 61u);
            const float pit = HashNoise(x, y, 67u) > 0.985f ? 0.6f : 1.0f;
            float k = (0.62f + 0.35f * n) * pit;
            if ((y % 128) < 2) k *= 0.6f;
            img.Set(x, y, Shade(0.55f, 0.55f, 0.53f, k));
        }
    return img;
}

// Diamond tread plate for the steps.
Image TreadTexture() {
    Image img(kSize, kSize);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            const float n = FractalNoise(float(x), float(y), kSize, 16, 3, 71u);
            const int cx = x % 32, cy = y % 32;
            const bool raisedA = std::abs(cx - cy) < 3 && cx > 4 && cx < 14;
            const bool raisedB = std::abs(cx + cy - 40) < 3 && cx > 18 && cx < 28;
            const float k = (0.6f + 0.25f * n) * (raisedA || raisedB ? 1.3f : 1.0f);
            img.Set(x, y, Shade(0.5f, 0.5f, 0.52f, k));
        }
    return img;
}

// Floor grating: bars over a dark pit.
Image GrateTexture() {
    Image img(kSize, kSize);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            const float n = FractalNoise(float(x), float(y), kSize, 16, 3, 79u);
            const bool bar = (x % 16) < 4 || (y % 64) < 5;
            const float k = bar ? 0.6f + 0.3f * n : 0.12f + 0.08f * n;
            img.Set(x, y, Shade(0.52f, 0.54f, 0.55f, k));
        }
    return img;
}

// The sign atlas: one sign per row, white letters on dark green enamel
// (the restricted sign on red).
Image SignTexture() {
    const int w = 512, rowH = 128;
    Image img(w, rowH * kSignRowCount);
    const char* texts[kSignRowCount] = {"STORAGE", "MEETING ROOM", "CORRIDOR", "STAIRS", "OFFICE", "AMMUNITION",
                                        "PLANT LAB", "GENERATOR", "RESTRICTED", "LEVEL B1", "LEVEL B2", "LEVEL 1"};
    const Font* font = UiFont();
    for (int row = 0; row < kSignRowCount; ++row) {
        const bool red = row == kSignRestricted || row == kSignGenerator;
        const Rgba ground = red ? MakeRgba(0.45f, 0.06f, 0.05f) : MakeRgba(0.05f, 0.28f, 0.16f);
        for (int y = row * rowH; y < (row + 1) * rowH; ++y)
            for (int x = 0; x < w; ++x) {
                const int ly = y - row * rowH;
                const bool border = x < 8 || x >= w - 8 || ly < 8 || ly >= rowH - 8;
                const bool line = x < 14 || x >= w - 14 || ly < 14 || ly >= rowH - 14;
                const float n = FractalNoise(float(x), float(y), w, 16, 3, 83u + row);
                Rgba c = border ? MakeRgba(0.1f, 0.1f, 0.1f) : (line && !border ? MakeRgba(0.85f, 0.85f, 0.8f) : ground);
                img.Set(x, y, c);
                img.Blend(x, y, MakeRgba(0.2f, 0.18f, 0.14f), SmoothStep(0.6f, 0.8f, n) * 0.5f);
            }
        if (font) {
            Mask text = font->RenderFit(texts[row], w - 60, rowH - 44);
            Mask full(w, img.height);
            StampCentred(full, text, w / 2, row * rowH + rowH / 2);
            BlendMask(img, full, MakeRgba(0.92f, 0.92f, 0.86f));
        }
    }
    return img;
}

}  // namespace

bool WriteMapTextures(const std::string& folder) {
    const std::string d = folder + "/";
    bool ok = true;
    ok = WritePng(d + "lab_floor.png", FloorTexture()) && ok;
    ok = WritePng(d + "lab_wall_low.png", WallLowTexture()) && ok;
    ok = WritePng(d + "lab_wall_high.png", WallHighTexture()) && ok;
    ok = WritePng(d + "lab_ceiling.png", CeilingTexture()) && ok;
    ok = WritePng(d + "lab_lamp.png", LampTexture()) && ok;
    ok = WritePng(d + "lab_metal.png", MetalTexture(0.45f, 0.47f, 0.5f, 89u)) && ok;
    ok = WritePng(d + "lab_pipe.png", MetalTexture(0.42f, 0.36f, 0.3f, 97u)) && ok;
    ok = WritePng(d + "lab_hazard.png", HazardTexture()) && ok;
    ok = WritePng(d + "lab_concrete.png", ConcreteTexture()) && ok;
    ok = WritePng(d + "lab_tread.png", TreadTexture()) && ok;
    ok = WritePng(d + "lab_grate.png", GrateTexture()) && ok;
    ok = WritePng(d + "lab_signs.png", SignTexture()) && ok;
    return ok;
}

}  // namespace level
}  // namespace datagen
