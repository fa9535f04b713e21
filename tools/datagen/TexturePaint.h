// Painting helpers shared by the HUD and effect texture writers: coverage
// masks, antialiased shapes from signed distances, blurs and text rendered
// through stb_truetype. All deterministic.
#pragma once

#include "Image.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace datagen {

// A single-channel coverage (or intensity) map, 0..1.
struct Mask {
    int width = 0, height = 0;
    std::vector<float> v;
    Mask() = default;
    Mask(int w, int h, float fill = 0) : width(w), height(h), v(size_t(w) * h, fill) {}
    float& At(int x, int y) { return v[size_t(y) * width + x]; }
    float At(int x, int y) const { return v[size_t(y) * width + x]; }
    float Get(int x, int y) const {
        if (x < 0 || y < 0 || x >= width || y >= height) return 0;
        return v[size_t(y) * width + x];
    }
};

inline float Clamp01(float x) { return x < 0 ? 0 : (x > 1 ? 1 : x); }
inline float SmoothStep(float e0, float e1, float x) {
    float t = Clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}
inline float Lerp(float a, float b, float t) { return a + (b - a) * t; }
inline uint8_t ToByte(float x) { return uint8_t(Clamp01(x) * 255.0f + 0.5f); }
inline Rgba MakeRgba(float r, float g, float b, float a = 1) { return {ToByte(r), ToByte(g), ToByte(b), ToByte(a)}; }

// Coverage of a pixel from a signed distance (negative inside), one pixel of
// antialiasing.
inline float Coverage(float sdf) { return Clamp01(0.5f - sdf); }

// Signed distances to common shapes.
inline float SdCircle(float x, float y, float cx, float cy, float r) { return std::hypot(x - cx, y - cy) - r; }
inline float SdBox(float x, float y, float cx, float cy, float hw, float hh, float radius = 0) {
    float dx = std::fabs(x - cx) - hw + radius, dy = std::fabs(y - cy) - hh + radius;
    float ox = std::fmax(dx, 0.0f), oy = std::fmax(dy, 0.0f);
    return std::hypot(ox, oy) + std::fmin(std::fmax(dx, dy), 0.0f) - radius;
}
inline float SdSegment(float x, float y, float ax, float ay, float bx, float by, float r) {
    float px = x - ax, py = y - ay, dx = bx - ax, dy = by - ay;
    float len2 = dx * dx + dy * dy;
    float t = len2 > 0 ? Clamp01((px * dx + py * dy) / len2) : 0;
    return std::hypot(px - dx * t, py - dy * t) - r;
}

// Porter-Duff "over" of colour c at coverage cov onto a straight-alpha pixel,
// so that edges drawn on a transparent ground keep their colour (no dark
// fringe when the texture is filtered).
inline void Over(Image& img, int x, int y, Rgba c, float cov) {
    if (x < 0 || y < 0 || x >= img.width || y >= img.height || cov <= 0) return;
    uint8_t* p = img.At(x, y);
    float sa = (c.a / 255.0f) * std::fmin(cov, 1.0f);
    float da = p[3] / 255.0f;
    float oa = sa + da * (1 - sa);
    if (oa <= 0) return;
    const uint8_t src[3] = {c.r, c.g, c.b};
    for (int k = 0; k < 3; ++k) {
        float sc = src[k] / 255.0f, dc = p[k] / 255.0f;
        p[k] = ToByte((sc * sa + dc * da * (1 - sa)) / oa);
    }
    p[3] = ToByte(oa);
}

// Blends colour c over every pixel of the rectangle [x0,x1)x[y0,y1) with the
// coverage given by f(x + 0.5, y + 0.5).
inline void PaintArea(Image& img, int x0, int y0, int x1, int y1, Rgba c, const std::function<float(float, float)>& f) {
    x0 = std::max(x0, 0); y0 = std::max(y0, 0);
    x1 = std::min(x1, img.width); y1 = std::min(y1, img.height);
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) Over(img, x, y, c, f(x + 0.5f, y + 0.5f));
}
inline void PaintAll(Image& img, Rgba c, const std::function<float(float, float)>& f) {
    PaintArea(img, 0, 0, img.width, img.height, c, f);
}

// Separable box blur, repeated `passes` times (three passes approach a Gaussian).
void BlurMask(Mask& m, int radius, int passes = 3);

// Text rasterised with a TrueType font.
class Font {
public:
    bool Load(const std::string& path);
    bool Loaded() const { return !data_.empty(); }
    // Renders a line of text at the given pixel height into a tight mask
    // (plus `pad` empty pixels on each side).
    Mask Render(const std::string& text, float pixelHeight, int pad = 0) const;
    // Renders the text as large as fits in maxW x maxH (tight bounds).
    Mask RenderFit(const std::string& text, int maxW, int maxH, int pad = 0) const;

private:
    std::vector<unsigned char> data_;
    std::vector<unsigned char> info_;  // storage for stbtt_fontinfo
};

// The bold sans-serif font every texture uses; loaded once. Null (after a
// message) if the font file is missing.
const Font* UiFont();

// Copies `src` into `dst` with its top-left at (x, y), keeping the maximum.
void StampMask(Mask& dst, const Mask& src, int x, int y);
// Stamps `src` centred on (cx, cy) in `dst`.
inline void StampCentred(Mask& dst, const Mask& src, int cx, int cy) {
    StampMask(dst, src, cx - src.width / 2, cy - src.height / 2);
}
// Grows the mask outwards by about `radius` pixels, for outlines.
Mask DilateMask(const Mask& m, int radius);

// Fills img with colour `c` blended at coverage m (same size).
void BlendMask(Image& img, const Mask& m, Rgba c, float strength = 1);

// A splash of liquid on a transparent ground: a ragged blob, streaks flung
// outwards and droplets, shaded between the two colours with noise.
Image MakeSplatter(int size, uint32_t seed, Rgba light, Rgba dark);

// Writers of each group (defined in their own files).
bool WriteHudTextures(const std::string& outDir, const Font& font);
bool WriteEffectTextures(const std::string& outDir);

}  // namespace datagen
