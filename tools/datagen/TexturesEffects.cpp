// Textures of the 3D effects: bullet holes, the tracer, the shadow disc, the
// additive glows (muzzle flash, light, electric arcs, red glow, all on black so
// that black adds nothing), hit sparks and dust, blood and vomit splashes,
// bubbles and the smoke atlas.
#include "DataGen.h"
#include "TexturePaint.h"

#include <cstdio>

namespace datagen {

namespace {

Image Transparent(int w, int h) { return Image(w, h, Rgba{0, 0, 0, 0}); }

namespace texture = asset::texture;

bool Save(const std::string& outDir, const char* assetPath, const Image& img, bool jpg = false) {
    const std::string path = DataFile(outDir, assetPath);
    if (!(jpg ? WriteJpg(path, img) : WritePng(path, img))) {
        std::fprintf(stderr, "datagen: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

// A bullet hole centred on (cx, cy) with outer radius r: black core, a
// scorched, cracked ring and a soft dusty rim, fully transparent beyond r.
void PaintHole(Image& img, float cx, float cy, float r, uint32_t seed) {
    int x0 = int(cx - r - 1), x1 = int(cx + r + 1), y0 = int(cy - r - 1), y1 = int(cy + r + 1);
    for (int y = std::max(0, y0); y < std::min(img.height, y1); ++y)
        for (int x = std::max(0, x0); x < std::min(img.width, x1); ++x) {
            float dx = x + 0.5f - cx, dy = y + 0.5f - cy;
            float d = std::hypot(dx, dy) / r;
            if (d >= 1) continue;
            float ang = std::atan2(dy, dx);
            float n = FractalNoise(float(x), float(y), img.width, 8, 4, seed);
            // Radial cracks: thin wedges at hashed angles.
            float crack = 0;
            for (int k = 0; k < 7; ++k) {
                float a = HashNoise(k, 0, seed) * 6.2832f;
                float len = 0.55f + 0.4f * HashNoise(k, 1, seed);
                float da = std::fabs(std::remainder(ang - a, 6.2832f)) * d * r;
                if (d < len) crack = std::fmax(crack, Coverage(da - 0.6f) * (1 - d / len));
            }
            float core = SmoothStep(0.32f, 0.22f, d + 0.05f * (n - 0.5f));
            float ring = SmoothStep(0.95f, 0.45f, d + 0.15f * (n - 0.5f));
            float alpha = std::fmax(core, std::fmax(ring * 0.85f, crack * 0.9f));
            float v = Lerp(0.30f, 0.02f, std::fmax(core, crack)) * (0.8f + 0.4f * n) * (0.6f + 0.4f * d);
            Over(img, x, y, MakeRgba(v, v * 0.95f, v * 0.9f, 1), alpha);
        }
}

Image MakeTracer() {
    Image img = Transparent(32, 128);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 32; ++x) {
            float dx = x + 0.5f - 16, v = (y + 0.5f) / 128.0f;  // v 0 is the head
            float core = std::exp(-(dx * dx) / (2 * 2.0f * 2.0f));
            float glow = 0.5f * std::exp(-(dx * dx) / (2 * 6.0f * 6.0f));
            float along = SmoothStep(0, 0.06f, v) * std::pow(1 - v, 1.4f);
            float a = Clamp01((core + glow) * along) * SmoothStep(0, 3, std::fmin(x + 0.5f, 31.5f - x));
            float hot = core / (core + glow + 1e-4f);
            Over(img, x, y, MakeRgba(1, Lerp(0.7f, 1.0f, hot), Lerp(0.25f, 0.85f, hot), 1), a);
        }
    return img;
}

Image MakeShadow() {
    Image img = Transparent(64, 64);
    PaintAll(img, Rgba{0, 0, 0, 200}, [](float x, float y) {
        float d = std::hypot(x - 32, y - 32) / 30.0f;
        return SmoothStep(1.0f, 0.2f, d);
    });
    return img;
}

// Additive pictures are opaque with black ground; `radial` fades everything to
// black well inside the border.
float EdgeWindow(float x, float y, float size) {
    float c = size * 0.5f;
    return SmoothStep(1.0f, 0.8f, std::hypot(x - c, y - c) / (c - 2));
}

Image MakeMuzzleFlash() {
    const int s = 128;
    Image img(s, s, Rgba{0, 0, 0, 255});
    for (int y = 0; y < s; ++y)
        for (int x = 0; x < s; ++x) {
            float dx = x + 0.5f - 64, dy = y + 0.5f - 64;
            float d = std::hypot(dx, dy) / 60.0f, ang = std::atan2(dy, dx);
            float n = FractalNoise(float(x), float(y), s, 8, 4, 321);
            // Six flame tongues of uneven length around a white-hot core.
            float petal = std::pow(std::fabs(std::cos(ang * 3 + 0.3f)), 6.0f);
            float len = 0.45f + 0.5f * petal * (0.7f + 0.3f * HashNoise(int((ang + 3.15f) * 3 / 3.1416f), 0, 322));
            float flame = SmoothStep(len, len * 0.3f, d) * (0.6f + 0.4f * n);
            float core = std::exp(-d * d * 30.0f);
            float w = EdgeWindow(x + 0.5f, y + 0.5f, s);
            float r = Clamp01(flame * 1.2f + core), g = Clamp01(flame * 0.7f + core), b = Clamp01(flame * 0.2f + core * 0.9f);
            img.Set(x, y, MakeRgba(r * w, g * w, b * w, 1));
        }
    return img;
}

Image MakeGlow(Rgba tint, float falloff, float noiseAmount, uint32_t seed) {
    const int s = 128;
    Image img(s, s, Rgba{0, 0, 0, 255});
    for (int y = 0; y < s; ++y)
        for (int x = 0; x < s; ++x) {
            float d = std::hypot(x + 0.5f - 64, y + 0.5f - 64) / 62.0f;
            float n = FractalNoise(float(x), float(y), s, 6, 4, seed);
            float v = std::exp(-d * d * falloff) * (1 - noiseAmount + noiseAmount * 2 * n);
            float core = std::exp(-d * d * falloff * 8);
            v *= EdgeWindow(x + 0.5f, y + 0.5f, s);
            core *= EdgeWindow(x + 0.5f, y + 0.5f, s);
            img.Set(x, y, MakeRgba(tint.r / 255.0f * v + core * 0.5f, tint.g / 255.0f * v + core * 0.5f,
                                   tint.b / 255.0f * v + core * 0.5f, 1));
        }
    return img;
}

// Jagged arcs from the centre outwards, branching once, drawn as a bright core
// with a blue glow.
Image MakeElectric() {
    const int s = 128;
    Mask core(s, s), glow(s, s);
    uint32_t seed = 700;
    auto drawBolt = [&](float x0, float y0, float ang, float len, int depth, uint32_t id) {
        auto rec = [&](auto& self, float ax, float ay, float a, float l, int dep, uint32_t key) -> void {
            const int steps = 8;
            float px = ax, py = ay;
            for (int i = 1; i <= steps; ++i) {
                float jitter = (HashNoise(int(key), i, seed) - 0.5f) * 1.4f;
                float qa = a + jitter;
                float qx = px + std::cos(qa) * l / steps, qy = py + std::sin(qa) * l / steps;
                for (int y = 0; y < s; ++y)
                    for (int x = 0; x < s; ++x) {
                        float d = SdSegment(x + 0.5f, y + 0.5f, px, py, qx, qy, 0);
                        core.At(x, y) = std::fmax(core.At(x, y), Coverage(d - (dep == 0 ? 1.0f : 0.5f)));
                        glow.At(x, y) = std::fmax(glow.At(x, y), std::exp(-d * d / 40.0f) * (dep == 0 ? 1.0f : 0.6f));
                    }
                if (dep < 1 && i == steps / 2)
                    self(self, qx, qy, a + (HashNoise(int(key), 99, seed) - 0.5f) * 1.6f, l * 0.45f, dep + 1, key * 7 + 1);
                px = qx; py = qy;
            }
        };
        rec(rec, x0, y0, ang, len, depth, id);
    };
    for (int k = 0; k < 6; ++k) {
        float a = k * 1.0472f + (HashNoise(k, 3, seed) - 0.5f) * 0.8f;
        drawBolt(64, 64, a, 40 + 14 * HashNoise(k, 4, seed), 0, uint32_t(k + 1));
    }
    Image img(s, s, Rgba{0, 0, 0, 255});
    for (int y = 0; y < s; ++y)
        for (int x = 0; x < s; ++x) {
            float w = EdgeWindow(x + 0.5f, y + 0.5f, s);
            float c = core.At(x, y), g = glow.At(x, y) * 0.7f;
            float centre = std::exp(-std::pow(std::hypot(x - 64.0f, y - 64.0f) / 10.0f, 2.0f));
            img.Set(x, y, MakeRgba((c + g * 0.35f + centre) * w, (c + g * 0.6f + centre) * w, (c + g + centre) * w, 1));
        }
    return img;
}

// Bright yellow spark streaks radiating from a hot point (alpha blended).
Image MakeSpark() {
    const int s = 64;
    Image img = Transparent(s, s);
    for (int y = 0; y < s; ++y)
        for (int x = 0; x < s; ++x) {
            float fx = x + 0.5f, fy = y + 0.5f;
            float a = 0;
            for (int k = 0; k < 9; ++k) {
                float ang = HashNoise(k, 0, 55) * 6.2832f, len = 12 + 16 * HashNoise(k, 1, 55);
                float ex = 32 + std::cos(ang) * len, ey = 32 + std::sin(ang) * len;
                float d = SdSegment(fx, fy, 32, 32, ex, ey, 0);
                float t = Clamp01(std::hypot(fx - 32, fy - 32) / len);
                a = std::fmax(a, Coverage(d - 1.1f * (1 - t)) * (1 - t * 0.7f));
            }
            float core = std::exp(-std::pow(std::hypot(fx - 32, fy - 32) / 6.0f, 2.0f));
            a = Clamp01(a + core);
            float hot = Clamp01(core * 1.5f);
            Over(img, x, y, MakeRgba(1, Lerp(0.75f, 1.0f, hot), Lerp(0.2f, 0.9f, hot), 1), a);
        }
    return img;
}

// A soft, billowy cloud centred on (cx, cy) within radius r: a cluster of
// overlapping soft balls, shaded with noise and lit from above, forced to
// full transparency before r.
void PaintPuff(Image& img, float cx, float cy, float r, uint32_t seed, Rgba light, Rgba dark, float density) {
    struct Ball { float x, y, radius; };
    std::vector<Ball> balls = {{0, 0, 0.5f}};
    for (int k = 0; k < 7; ++k) {
        float ang = HashNoise(k, 0, seed) * 6.2832f, dist = 0.2f + 0.22f * HashNoise(k, 1, seed);
        balls.push_back({std::cos(ang) * dist, std::sin(ang) * dist, 0.25f + 0.15f * HashNoise(k, 2, seed)});
    }
    for (int y = std::max(0, int(cy - r - 1)); y < std::min(img.height, int(cy + r + 2)); ++y)
        for (int x = std::max(0, int(cx - r - 1)); x < std::min(img.width, int(cx + r + 2)); ++x) {
            float px = (x + 0.5f - cx) / r, py = (y + 0.5f - cy) / r;
            float d = std::hypot(px, py);
            float body = 0, shade = 0;
            for (const Ball& b : balls) {
                float q = std::hypot(px - b.x, py - b.y) / b.radius;
                float w = std::exp(-q * q);
                body += w;
                shade += w * Clamp01(0.5f - (py - b.y) / b.radius * 0.5f);  // each ball lit on top
            }
            if (body <= 0) continue;
            float n = FractalNoise(float(x), float(y), img.width, std::max(2, int(img.width / (r * 0.7f))), 3, seed);
            float wisps = SmoothStep(0.2f, 0.8f, n);
            float a = (1 - std::exp(-body * 1.3f)) * (0.35f + 0.65f * wisps) * SmoothStep(1.0f, 0.6f, d) * density;
            if (a <= 0) continue;
            float t = Clamp01(0.25f + 0.6f * shade / body + (n - 0.5f) * 0.5f);
            Over(img, x, y, MakeRgba(Lerp(dark.r, light.r, t) / 255.0f, Lerp(dark.g, light.g, t) / 255.0f,
                                     Lerp(dark.b, light.b, t) / 255.0f, 1), a);
        }
}

// 8 x 8 cells of 128 pixels, one puff per cell, except that column 0 rows 2
// and 3 share one puff centred on the window (0, 0.3)-(0.125, 0.475) the
// light-burst smoke samples.
Image MakeSmokeAtlas() {
    Image img = Transparent(1024, 1024);
    for (int row = 0; row < 8; ++row)
        for (int col = 0; col < 8; ++col) {
            if (col == 0 && (row == 2 || row == 3)) continue;
            uint32_t seed = 1000 + row * 8 + col;
            float tint = 0.8f + 0.2f * HashNoise(col, row, 5);
            Rgba light = MakeRgba(0.85f * tint, 0.85f * tint, 0.83f * tint, 1);
            PaintPuff(img, col * 128 + 64.0f, row * 128 + 64.0f, 60, seed, light, Rgba{70, 70, 72, 255}, 0.95f);
        }
    PaintPuff(img, 64, (0.3f + 0.475f) * 0.5f * 1024, 60, 1500, Rgba{225, 220, 210, 255}, Rgba{80, 78, 75, 255}, 0.95f);
    return img;
}

Image MakeDust() {
    Image img = Transparent(64, 64);
    PaintPuff(img, 32, 32, 30, 808, Rgba{190, 175, 150, 255}, Rgba{95, 85, 70, 255}, 0.9f);
    return img;
}

// A fine spray of blood droplets around a darker mist.
Image MakeBloodSpray() {
    const int s = 128;
    Image img = Transparent(s, s);
    PaintPuff(img, 64, 64, 40, 909, Rgba{150, 10, 10, 255}, Rgba{60, 0, 0, 255}, 0.7f);
    for (int i = 0; i < 70; ++i) {
        float ang = HashNoise(i, 0, 910) * 6.2832f, dist = 10 + 48 * std::sqrt(HashNoise(i, 1, 910));
        float r = 1.0f + 3.5f * HashNoise(i, 2, 910) * (1 - dist / 70);
        float px = 64 + std::cos(ang) * dist, py = 64 + std::sin(ang) * dist;
        PaintArea(img, int(px - r - 2), int(py - r - 2), int(px + r + 3), int(py + r + 3), Rgba{140, 5, 5, 255},
                  [=](float x, float y) { return Coverage(SdCircle(x, y, px, py, r)); });
    }
    return img;
}

Image MakeBubble() {
    const int s = 64;
    Image img = Transparent(s, s);
    PaintAll(img, Rgba{200, 230, 255, 70}, [](float x, float y) { return Coverage(SdCircle(x, y, 32, 32, 28)); });
    PaintAll(img, Rgba{230, 245, 255, 220}, [](float x, float y) {
        float rim = std::fabs(SdCircle(x, y, 32, 32, 27)) - 1.2f;
        return Coverage(rim) * (0.5f + 0.5f * SmoothStep(60, 10, x + y));
    });
    PaintAll(img, Rgba{255, 255, 255, 240}, [](float x, float y) { return Coverage(SdCircle(x, y, 22, 21, 5)); });
    PaintAll(img, Rgba{255, 255, 255, 140}, [](float x, float y) { return Coverage(SdCircle(x, y, 42, 44, 2.5f)); });
    return img;
}

// Green, glossy vomit blob: lumpy body plus a highlight.
Image MakeVomit() {
    Image img = MakeSplatter(128, 1200, Rgba{150, 190, 40, 255}, Rgba{60, 85, 10, 255});
    PaintAll(img, Rgba{230, 255, 170, 150}, [](float x, float y) { return Coverage(SdCircle(x, y, 55, 52, 6)); });
    return img;
}

}  // namespace

bool WriteEffectTextures(const std::string& outDir) {
    bool ok = true;
    Image hole2 = Transparent(64, 64);
    PaintHole(hole2, 32, 32, 28, 61);
    ok = Save(outDir, texture::kTitleBulletHole, hole2) && ok;
    // The wall decal samples only the top-left quarter (u, v 0..0.5): the hole
    // sits there with a transparent margin so filtering never bleeds in.
    Image hole = Transparent(128, 128);
    PaintHole(hole, 32, 32, 28, 62);
    ok = Save(outDir, texture::kBulletHole, hole) && ok;
    ok = Save(outDir, texture::kBullet, MakeTracer()) && ok;
    ok = Save(outDir, texture::kShadow, MakeShadow()) && ok;
    ok = Save(outDir, texture::kMuzzleFlash, MakeMuzzleFlash()) && ok;
    ok = Save(outDir, texture::kLight, MakeGlow(Rgba{255, 235, 190, 255}, 4.0f, 0.1f, 71)) && ok;
    ok = Save(outDir, texture::kElectric, MakeElectric(), true) && ok;
    ok = Save(outDir, texture::kRedGlow, MakeGlow(Rgba{255, 30, 20, 255}, 3.0f, 0.35f, 72), true) && ok;
    ok = Save(outDir, texture::kHitSpark, MakeSpark()) && ok;
    ok = Save(outDir, texture::kHitDust, MakeDust()) && ok;
    ok = Save(outDir, texture::kBloodSplash, MakeSplatter(128, 73, Rgba{180, 15, 10, 255}, Rgba{80, 0, 0, 255})) && ok;
    ok = Save(outDir, texture::kBloodSpray, MakeBloodSpray()) && ok;
    ok = Save(outDir, texture::kVomit, MakeVomit()) && ok;
    ok = Save(outDir, texture::kBubble, MakeBubble()) && ok;
    ok = Save(outDir, texture::kSmoke, MakeSmokeAtlas()) && ok;
    return ok;
}

}  // namespace datagen
