// The 2D overlay pictures: crosshair, digits, key cards, health marks, the
// reload sign, the blood frame, the use/pick-up prompts, and the title and
// result screens' logo, buttons and banners.
#include "DataGen.h"
#include "TexturePaint.h"

#include <cstdio>

namespace datagen {

namespace {

Image Transparent(int w, int h) { return Image(w, h, Rgba{0, 0, 0, 0}); }

struct TextStyle {
    Rgba top{255, 255, 255, 255}, bottom{255, 255, 255, 255};
    Rgba outline{0, 0, 0, 255};
    int outlineRadius = 0;
    Rgba glow{0, 0, 0, 0};
    int glowRadius = 0;
    float glowStrength = 0;
    float grunge = 0;  // 0..1: how much fractal noise darkens the fill
    uint32_t seed = 1;
};

// Paints text given as a full-size coverage mask: glow, then outline, then a
// gradient fill worn by noise.
void PaintText(Image& img, const Mask& m, const TextStyle& s) {
    if (s.glowRadius > 0 && s.glowStrength > 0) {
        Mask glow = m;
        BlurMask(glow, s.glowRadius);
        for (float& v : glow.v) v = Clamp01(v * s.glowStrength);
        BlendMask(img, glow, s.glow);
    }
    if (s.outlineRadius > 0) BlendMask(img, DilateMask(m, s.outlineRadius), s.outline);
    // Vertical extent of the ink, for the gradient.
    int y0 = m.height, y1 = 0;
    for (int y = 0; y < m.height; ++y)
        for (int x = 0; x < m.width; ++x)
            if (m.At(x, y) > 0.5f) { y0 = std::min(y0, y); y1 = std::max(y1, y); }
    float span = std::max(1, y1 - y0);
    for (int y = 0; y < m.height; ++y)
        for (int x = 0; x < m.width; ++x) {
            float c = m.At(x, y);
            if (c <= 0) continue;
            float t = Clamp01((y - y0) / span);
            float wear = 1.0f;
            if (s.grunge > 0) {
                float n = FractalNoise(float(x), float(y), m.width, 8, 5, s.seed);
                float speck = HashNoise(x, y, s.seed + 7);
                wear = 1.0f - s.grunge * SmoothStep(0.45f, 0.8f, n) - (speck > 0.97f ? 0.3f * s.grunge : 0.0f);
            }
            Rgba col = MakeRgba(Lerp(s.top.r, s.bottom.r, t) / 255.0f * wear, Lerp(s.top.g, s.bottom.g, t) / 255.0f * wear,
                                Lerp(s.top.b, s.bottom.b, t) / 255.0f * wear, 1);
            Over(img, x, y, col, c);
        }
}

// Adds blood drips under the lower edges of the ink: thin runs ending in a
// drop, lengths up to maxLen.
void AddDrips(Mask& m, int count, float maxLen, float width, uint32_t seed) {
    for (int i = 0; i < count; ++i) {
        int x = int(HashNoise(i, 1, seed) * (m.width - 1));
        int bottom = -1;
        for (int y = m.height - 1; y >= 0; --y)
            if (m.At(x, y) > 0.6f) { bottom = y; break; }
        if (bottom < 0) continue;
        float len = maxLen * (0.2f + 0.8f * HashNoise(i, 2, seed));
        float w = width * (0.5f + 0.7f * HashNoise(i, 3, seed));
        float endY = std::min(float(m.height - 2) - w * 1.6f, bottom + len);
        if (endY <= bottom) continue;
        int xa = std::max(0, int(x - w * 3)), xb = std::min(m.width, int(x + w * 3) + 1);
        for (int y = std::max(0, bottom - int(w * 2)); y < m.height; ++y)
            for (int px = xa; px < xb; ++px) {
                float fx = px + 0.5f, fy = y + 0.5f;
                // The run narrows from its root and swells into a drop.
                float t = Clamp01((fy - bottom) / std::max(1.0f, endY - bottom));
                float run = SdSegment(fx, fy, x + 0.5f, float(bottom - w), x + 0.5f, endY, w * (1.0f - 0.45f * t));
                float drop = SdCircle(fx, fy, x + 0.5f, endY, w * 1.5f);
                float c = Coverage(std::fmin(run, drop));
                if (c > 0) m.At(px, y) = std::fmax(m.At(px, y), c);
            }
    }
}

Mask TextCanvas(const Font& font, int w, int h, const std::string& text, int boxW, int boxH, int cx, int cy) {
    Mask canvas(w, h);
    StampCentred(canvas, font.RenderFit(text, boxW, boxH), cx, cy);
    return canvas;
}

namespace texture = asset::texture;

bool Save(const std::string& outDir, const char* assetPath, const Image& img) {
    const std::string path = DataFile(outDir, assetPath);
    if (!WritePng(path, img)) {
        std::fprintf(stderr, "datagen: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

Image MakeAim() {
    Image img = Transparent(100, 100);
    const float c = 50;
    // Four ticks with a gap, a dark outline for contrast on bright walls, and
    // a centre dot.
    auto ticks = [c](float grow) {
        return [c, grow](float x, float y) {
            float d = 1e9f;
            d = std::fmin(d, SdSegment(x, y, c, c - 40, c, c - 12, 2.0f + grow));
            d = std::fmin(d, SdSegment(x, y, c, c + 12, c, c + 40, 2.0f + grow));
            d = std::fmin(d, SdSegment(x, y, c - 40, c, c - 12, c, 2.0f + grow));
            d = std::fmin(d, SdSegment(x, y, c + 12, c, c + 40, c, 2.0f + grow));
            d = std::fmin(d, SdCircle(x, y, c, c, 2.5f + grow));
            return Coverage(d);
        };
    };
    PaintAll(img, Rgba{0, 0, 0, 170}, ticks(1.5f));
    PaintAll(img, Rgba{235, 255, 235, 255}, ticks(0));
    // A thin broken ring around the centre.
    PaintAll(img, Rgba{220, 255, 220, 150}, [c](float x, float y) {
        float ring = std::fabs(SdCircle(x, y, c, c, 24)) - 0.8f;
        float ang = std::atan2(y - c, x - c);
        float gap = std::fabs(std::sin(ang * 2));  // gaps where the ticks cross
        return Coverage(ring) * SmoothStep(0.35f, 0.5f, gap);
    });
    return img;
}

Image MakeNumbers(const Font& font) {
    Image img = Transparent(165, 26);
    Mask canvas(165, 26);
    const char* glyphs[11] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "/"};
    Mask ref = font.RenderFit("0", 11, 20);  // every digit at the height of "0"
    for (int d = 0; d < 11; ++d) {
        Mask g = font.RenderFit(glyphs[d], 12, ref.height);
        StampCentred(canvas, g, 15 * d + 7, 13);
    }
    TextStyle s;
    s.top = {255, 255, 255, 255};
    s.bottom = {190, 215, 200, 255};
    s.outline = {0, 0, 0, 200};
    s.outlineRadius = 1;
    PaintText(img, canvas, s);
    return img;
}

void PaintCard(Image& img, const Font& font, int left, Rgba base, int level, uint32_t seed) {
    const float l = float(left), cx = l + 320;
    auto body = [=](float x, float y) { return Coverage(SdBox(x, y, cx, 540, 300, 520, 40)); };
    // Body: a gradient of the card colour worn with noise and scuffs.
    for (int y = 0; y < 1080; ++y)
        for (int x = left; x < left + 640; ++x) {
            float c = body(x + 0.5f, y + 0.5f);
            if (c <= 0) continue;
            float n = FractalNoise(float(x), float(y), 1920, 16, 5, seed);
            float shade = 1.08f - 0.25f * (y / 1080.0f) - 0.18f * SmoothStep(0.55f, 0.85f, n);
            float scratch = HashNoise(x / 3, y, seed + 3) > 0.995f ? 0.7f : 1.0f;
            Over(img, x, y, MakeRgba(base.r / 255.0f * shade * scratch, base.g / 255.0f * shade * scratch,
                                     base.b / 255.0f * shade * scratch, 1), c);
        }
    // Dark header band with the ACCESS label.
    PaintArea(img, left, 0, left + 640, 1080, Rgba{28, 28, 32, 255}, [=](float x, float y) {
        return body(x, y) * Coverage(SdBox(x, y, cx, 130, 300, 90));
    });
    Mask label(1920, 1080);
    StampCentred(label, font.RenderFit("ACCESS", 440, 90), int(cx), 130);
    TextStyle white;
    white.top = {245, 245, 245, 255};
    white.bottom = {200, 200, 200, 255};
    white.grunge = 0.3f;
    white.seed = seed + 11;
    PaintText(img, label, white);
    // Hazard stripes under the header.
    PaintArea(img, left, 0, left + 640, 1080, Rgba{20, 20, 20, 255}, [=](float x, float y) {
        float band = Coverage(SdBox(x, y, cx, 260, 300, 30));
        float stripe = std::fmod(x - l + y + 10000.0f, 80.0f) < 40 ? 1.0f : 0.0f;
        return body(x, y) * band * stripe;
    });
    // Gold contact chip with its pads.
    PaintArea(img, left, 0, left + 640, 1080, Rgba{205, 170, 80, 255}, [=](float x, float y) {
        return Coverage(SdBox(x, y, l + 150, 390, 70, 55, 12));
    });
    PaintArea(img, left, 0, left + 640, 1080, Rgba{140, 110, 40, 255}, [=](float x, float y) {
        float lines = std::fmin(std::fabs(y - 390) - 2, std::fabs(x - (l + 150)) - 2);
        return Coverage(SdBox(x, y, l + 150, 390, 60, 45, 8)) * Coverage(lines);
    });
    // LEVEL and the level number in black.
    Mask big(1920, 1080);
    StampCentred(big, font.RenderFit("LEVEL", 500, 130), int(cx), 560);
    StampCentred(big, font.RenderFit(std::to_string(level), 300, 260), int(cx), 780);
    TextStyle black;
    black.top = {25, 25, 25, 255};
    black.bottom = {10, 10, 10, 255};
    black.grunge = 0.4f;
    black.seed = seed + 5;
    PaintText(img, big, black);
    // Barcode and a light border line.
    PaintArea(img, left, 940, left + 640, 1020, Rgba{15, 15, 15, 255}, [=](float x, float y) {
        int col = int((x - l - 80) / 6);
        bool bar = x > l + 80 && x < l + 560 && HashNoise(col, level, seed) > 0.45f;
        return bar ? Coverage(SdBox(x, y, cx, 980, 300, 35)) : 0.0f;
    });
    PaintArea(img, left, 0, left + 640, 1080, Rgba{255, 255, 255, 120}, [=](float x, float y) {
        return Coverage(std::fabs(SdBox(x, y, cx, 540, 285, 505, 30)) - 2);
    });
}

Image MakeKeycards(const Font& font) {
    Image img = Transparent(1920, 1080);
    PaintCard(img, font, 0, Rgba{235, 195, 40, 255}, 1, 101);
    PaintCard(img, font, 640, Rgba{45, 105, 215, 255}, 2, 202);
    PaintCard(img, font, 1280, Rgba{240, 120, 30, 255}, 3, 303);
    return img;
}

Image MakeHpMark() {
    Image img = Transparent(30, 30);
    auto plus = [](float grow) {
        return [grow](float x, float y) {
            return Coverage(std::fmin(SdBox(x, y, 15, 15, 4 + grow, 11 + grow, 1), SdBox(x, y, 15, 15, 11 + grow, 4 + grow, 1)));
        };
    };
    PaintAll(img, Rgba{250, 250, 250, 255}, plus(2.5f));
    PaintAll(img, Rgba{210, 30, 30, 255}, plus(0));
    PaintAll(img, Rgba{255, 120, 120, 160}, [](float x, float y) {  // highlight
        return Coverage(SdBox(x, y, 15, 7, 2, 3, 1));
    });
    return img;
}

Image MakeHpLabel(const Font& font) {
    Image img = Transparent(128, 32);
    TextStyle s;
    s.top = {235, 255, 235, 255};
    s.bottom = {140, 210, 150, 255};
    s.outlineRadius = 1;
    s.outline = {0, 0, 0, 200};
    PaintText(img, TextCanvas(font, 128, 32, "HEALTH", 116, 22, 64, 16), s);
    return img;
}

Image MakeReload(const Font& font) {
    Image img = Transparent(512, 128);
    // Thin warning bars above and below the word.
    PaintAll(img, Rgba{255, 60, 30, 200}, [](float x, float y) {
        float bars = std::fmin(SdBox(x, y, 256, 10, 230, 3), SdBox(x, y, 256, 118, 230, 3));
        return Coverage(bars) * SmoothStep(0, 60, std::fmin(x, 512 - x));
    });
    TextStyle s;
    s.top = {255, 210, 80, 255};
    s.bottom = {255, 60, 20, 255};
    s.outlineRadius = 3;
    s.outline = {30, 0, 0, 230};
    s.glow = {255, 40, 0, 255};
    s.glowRadius = 6;
    s.glowStrength = 1.6f;
    s.grunge = 0.2f;
    s.seed = 41;
    PaintText(img, TextCanvas(font, 512, 128, "RELOAD", 440, 80, 256, 64), s);
    return img;
}

Image MakeBloodFrame() {
    Image img = Transparent(1280, 720);
    const uint32_t seed = 77;
    // Drip runs from the top edge.
    struct Drip { float x, len, w; };
    std::vector<Drip> drips;
    for (int i = 0; i < 26; ++i)
        drips.push_back({HashNoise(i, 0, seed) * 1280, 40 + 120 * HashNoise(i, 1, seed), 2 + 5 * HashNoise(i, 2, seed)});
    for (int y = 0; y < 720; ++y)
        for (int x = 0; x < 1280; ++x) {
            float d = std::fmin(std::fmin(float(x), 1279.0f - x), std::fmin(float(y), 719.0f - y));
            float n = FractalNoise(float(x), float(y), 1280, 10, 5, seed);
            float reach = 40 + 110 * n;  // ragged edge, never deeper than 150 pixels
            float a = SmoothStep(0, 1, (reach - d) / 18.0f);
            if (y < 200) {
                for (const Drip& dr : drips) {
                    if (std::fabs(x - dr.x) > dr.w * 2) continue;
                    float run = SdSegment(x + 0.5f, y + 0.5f, dr.x, 0, dr.x, dr.len, dr.w);
                    float drop = SdCircle(x + 0.5f, y + 0.5f, dr.x, dr.len, dr.w * 1.5f);
                    a = std::fmax(a, Coverage(std::fmin(run, drop)));
                }
            }
            // Splatter dots near the edges.
            float dots = HashNoise(x / 6, y / 6, seed + 9);
            if (d < 190 && dots > 0.985f) a = std::fmax(a, 0.8f * SmoothStep(190, 120, d));
            if (a <= 0) continue;
            // Darker, dried blood right at the edge.
            float dark = 0.45f + 0.35f * FractalNoise(float(x), float(y), 1280, 40, 3, seed + 1) - 0.2f * SmoothStep(60, 0, d);
            Over(img, x, y, MakeRgba(0.75f * dark + 0.1f, 0.02f, 0.02f, std::fmin(1.0f, 0.85f + 0.15f * n)), a);
        }
    return img;
}

Image MakePrompt(const Font& font, const std::string& text) {
    Image img = Transparent(128, 128);
    PaintAll(img, Rgba{10, 12, 14, 160}, [](float x, float y) { return Coverage(SdBox(x, y, 64, 64, 60, 60, 14)); });
    PaintAll(img, Rgba{255, 255, 255, 90}, [](float x, float y) {
        return Coverage(std::fabs(SdBox(x, y, 64, 64, 58, 58, 12)) - 0.8f);
    });
    // A mouse with its right button lit.
    PaintAll(img, Rgba{235, 235, 235, 255}, [](float x, float y) {
        return Coverage(std::fabs(SdBox(x, y, 64, 48, 18, 28, 16)) - 2.0f);
    });
    PaintAll(img, Rgba{235, 235, 235, 255}, [](float x, float y) {
        return Coverage(std::fmin(SdSegment(x, y, 64, 20, 64, 44, 1.5f), SdSegment(x, y, 46, 44, 82, 44, 1.5f)));
    });
    PaintAll(img, Rgba{255, 150, 30, 255}, [](float x, float y) {
        float inside = SdBox(x, y, 64, 48, 15, 25, 13);
        float quadrant = std::fmax(66.5f - x, y - 41.5f);
        return Coverage(std::fmax(inside, quadrant));
    });
    TextStyle s;
    s.top = {255, 255, 255, 255};
    s.bottom = {210, 210, 210, 255};
    PaintText(img, TextCanvas(font, 128, 128, text, 104, 22, 64, 100), s);
    return img;
}

Image MakeTitle(const Font& font) {
    const int w = 4000, h = 1200;
    Image img = Transparent(w, h);
    Mask text = TextCanvas(font, w, h, "MORVANE", 3700, 700, w / 2, 470);
    AddDrips(text, 70, 360, 16, 903);
    // Blood spatter around the letters.
    for (int i = 0; i < 140; ++i) {
        float x = 150 + HashNoise(i, 10, 904) * (w - 300), y = 150 + HashNoise(i, 11, 904) * 700;
        float r = 3 + 22 * std::pow(HashNoise(i, 12, 904), 3.0f);
        int x0 = int(x - r - 2), y0 = int(y - r - 2);
        for (int py = y0; py < y0 + int(2 * r) + 5; ++py)
            for (int px = x0; px < x0 + int(2 * r) + 5; ++px)
                if (px >= 0 && py >= 0 && px < w && py < h)
                    text.At(px, py) = std::fmax(text.At(px, py), Coverage(SdCircle(px + 0.5f, py + 0.5f, x, y, r)));
    }
    TextStyle s;
    s.top = {200, 18, 12, 255};
    s.bottom = {95, 0, 0, 255};
    s.outline = {8, 0, 0, 255};
    s.outlineRadius = 10;
    s.glow = {150, 0, 0, 255};
    s.glowRadius = 28;
    s.glowStrength = 1.3f;
    s.grunge = 0.55f;
    s.seed = 905;
    PaintText(img, text, s);
    // Wet highlights along the upper edges of the letters.
    for (int y = 6; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (text.At(x, y) > 0.9f && text.At(x, y - 6) < 0.2f) Over(img, x, y, Rgba{255, 120, 100, 255}, 0.35f);
    return img;
}

Image MakeButton(const Font& font, const std::string& label, uint32_t seed) {
    Image img = Transparent(400, 90);
    for (int y = 0; y < 90; ++y)
        for (int x = 0; x < 400; ++x) {
            float c = Coverage(SdBox(x + 0.5f, y + 0.5f, 200, 45, 197, 42, 8));
            if (c <= 0) continue;
            float n = FractalNoise(float(x), float(y), 400, 8, 4, seed);
            float v = 0.06f + 0.08f * n;
            Over(img, x, y, MakeRgba(v * 1.6f, v, v, 0.85f), c);
        }
    PaintAll(img, Rgba{170, 20, 15, 255}, [](float x, float y) {
        return Coverage(std::fabs(SdBox(x, y, 200, 45, 194, 39, 7)) - 1.5f);
    });
    TextStyle s;
    s.top = {255, 245, 240, 255};
    s.bottom = {220, 190, 185, 255};
    s.glow = {220, 20, 10, 255};
    s.glowRadius = 4;
    s.glowStrength = 1.2f;
    s.grunge = 0.2f;
    s.seed = seed + 1;
    PaintText(img, TextCanvas(font, 400, 90, label, 340, 40, 200, 45), s);
    return img;
}

}  // namespace

Image MakeSplatter(int size, uint32_t seed, Rgba light, Rgba dark) {
    Image img = Transparent(size, size);
    const float c = size * 0.5f, base = size * 0.22f;
    Mask m(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            float dx = x + 0.5f - c, dy = y + 0.5f - c;
            float ang = std::atan2(dy, dx);
            // Radius wobbling with the angle: sample noise around a circle.
            float n = ValueNoise(std::cos(ang) * 3 + 5, std::sin(ang) * 3 + 5, 64, seed);
            float r = base * (0.7f + 0.6f * n);
            m.At(x, y) = Coverage(std::hypot(dx, dy) - r);
        }
    // Streaks flung outwards, each ending in a drop, and loose droplets.
    for (int i = 0; i < 14; ++i) {
        float ang = HashNoise(i, 0, seed) * 6.2832f;
        float len = size * (0.25f + 0.2f * HashNoise(i, 1, seed));
        float w = size * (0.008f + 0.014f * HashNoise(i, 2, seed));
        float ex = c + std::cos(ang) * len, ey = c + std::sin(ang) * len;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                float d = std::fmin(SdSegment(x + 0.5f, y + 0.5f, c, c, ex, ey, w), SdCircle(x + 0.5f, y + 0.5f, ex, ey, w * 1.8f));
                m.At(x, y) = std::fmax(m.At(x, y), Coverage(d));
            }
    }
    for (int i = 0; i < 40; ++i) {
        float ang = HashNoise(i, 5, seed) * 6.2832f;
        float dist = size * (0.2f + 0.25f * HashNoise(i, 6, seed));
        float r = size * (0.004f + 0.02f * HashNoise(i, 7, seed) * (1 - dist / size));
        float px = c + std::cos(ang) * dist, py = c + std::sin(ang) * dist;
        for (int y = int(py - r - 2); y <= int(py + r + 2); ++y)
            for (int x = int(px - r - 2); x <= int(px + r + 2); ++x)
                if (x >= 0 && y >= 0 && x < size && y < size)
                    m.At(x, y) = std::fmax(m.At(x, y), Coverage(SdCircle(x + 0.5f, y + 0.5f, px, py, r)));
    }
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            float a = m.At(x, y);
            // Keep a transparent margin so the picture never touches its edges.
            a *= SmoothStep(0, 3, std::fmin(std::fmin(float(x), size - 1.0f - x), std::fmin(float(y), size - 1.0f - y)));
            if (a <= 0) continue;
            float n = FractalNoise(float(x), float(y), size, 6, 4, seed + 3);
            float t = Clamp01(n * 1.3f - 0.15f);
            Over(img, x, y, MakeRgba(Lerp(dark.r, light.r, t) / 255.0f, Lerp(dark.g, light.g, t) / 255.0f,
                                     Lerp(dark.b, light.b, t) / 255.0f, 1), a);
        }
    return img;
}

namespace {

Image MakeBanner(const Font& font, const std::string& text, bool dead) {
    const int w = 1000, h = 300;
    Image img = dead ? Image(w, h, Rgba{0, 0, 0, 255}) : Transparent(w, h);
    Mask m = TextCanvas(font, w, h, text, 920, 150, w / 2, dead ? 130 : 150);
    TextStyle s;
    if (dead) {
        AddDrips(m, 30, 110, 5, 612);
        s.top = {210, 20, 10, 255};
        s.bottom = {110, 0, 0, 255};
        s.glow = {120, 0, 0, 255};
        s.glowRadius = 10;
        s.glowStrength = 1.2f;
        s.grunge = 0.5f;
        s.seed = 613;
    } else {
        s.top = {255, 255, 255, 255};
        s.bottom = {170, 230, 255, 255};
        s.outline = {0, 30, 60, 220};
        s.outlineRadius = 3;
        s.glow = {80, 200, 255, 255};
        s.glowRadius = 12;
        s.glowStrength = 1.5f;
        s.seed = 614;
    }
    PaintText(img, m, s);
    return img;
}

}  // namespace

bool WriteHudTextures(const std::string& outDir, const Font& font) {
    bool ok = true;
    ok = Save(outDir, texture::kAim, MakeAim()) && ok;
    ok = Save(outDir, texture::kWhite, Image(16, 16, Rgba{255, 255, 255, 255})) && ok;
    ok = Save(outDir, texture::kNumber, MakeNumbers(font)) && ok;
    ok = Save(outDir, texture::kKeycard, MakeKeycards(font)) && ok;
    ok = Save(outDir, texture::kHpMark, MakeHpMark()) && ok;
    ok = Save(outDir, texture::kHp, MakeHpLabel(font)) && ok;
    ok = Save(outDir, texture::kReload, MakeReload(font)) && ok;
    ok = Save(outDir, texture::kBloodFrame, MakeBloodFrame()) && ok;
    ok = Save(outDir, texture::kUsePrompt, MakePrompt(font, "USE")) && ok;
    ok = Save(outDir, texture::kPickUpPrompt, MakePrompt(font, "PICK UP")) && ok;
    ok = Save(outDir, texture::kTitleLogo, MakeTitle(font)) && ok;
    ok = Save(outDir, texture::kStartButton, MakeButton(font, "CLICK TO START", 31)) && ok;
    ok = Save(outDir, texture::kTitleButton, MakeButton(font, "BACK TO TITLE", 32)) && ok;
    ok = Save(outDir, texture::kTitleBlood, MakeSplatter(512, 55, Rgba{170, 10, 8, 255}, Rgba{70, 0, 0, 255})) && ok;
    ok = Save(outDir, texture::kClearBanner, MakeBanner(font, "MISSION CLEAR", false)) && ok;
    const std::string dead = DataFile(outDir, texture::kDeadBanner);
    if (!WriteJpg(dead, MakeBanner(font, "YOU ARE DEAD", true))) {
        std::fprintf(stderr, "datagen: cannot write %s\n", dead.c_str());
        ok = false;
    }
    return ok;
}

}  // namespace datagen
