// Font rendering and mask operations for the texture writers, and the entry
// point that writes every HUD and effect texture.
#include "TexturePaint.h"

#include "DataGen.h"

#include <stb_truetype.h>

#include <cstdio>
#include <fstream>
#include <iterator>

namespace datagen {

namespace {
const char* kFontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

const stbtt_fontinfo* Info(const std::vector<unsigned char>& storage) {
    return reinterpret_cast<const stbtt_fontinfo*>(storage.data());
}

// Decodes one UTF-8 code point (the texts are ASCII, but be safe).
int NextCodepoint(const std::string& s, size_t& i) {
    unsigned char c = s[i++];
    if (c < 0x80) return c;
    int extra = (c >= 0xF0) ? 3 : (c >= 0xE0) ? 2 : 1;
    int cp = c & (0x3F >> extra);
    for (int k = 0; k < extra && i < s.size(); ++k) cp = (cp << 6) | (s[i++] & 0x3F);
    return cp;
}
}  // namespace

bool Font::Load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.empty()) return false;
    std::vector<unsigned char> info(sizeof(stbtt_fontinfo));
    auto* fi = reinterpret_cast<stbtt_fontinfo*>(info.data());
    int offset = stbtt_GetFontOffsetForIndex(bytes.data(), 0);
    if (offset < 0) return false;
    data_ = std::move(bytes);
    if (!stbtt_InitFont(fi, data_.data(), offset)) {
        data_.clear();
        return false;
    }
    info_ = std::move(info);
    return true;
}

Mask Font::Render(const std::string& text, float pixelHeight, int pad) const {
    if (!Loaded() || text.empty()) return Mask(1 + 2 * pad, 1 + 2 * pad);
    const stbtt_fontinfo* fi = Info(info_);
    float scale = stbtt_ScaleForPixelHeight(fi, pixelHeight);
    int ascent, descent, lineGap;
    stbtt_GetFontVMetrics(fi, &ascent, &descent, &lineGap);
    int baseline = int(std::ceil(ascent * scale));
    int lineH = baseline + int(std::ceil(-descent * scale)) + 2;

    // First pass: the pen positions and the total width.
    struct Glyph { int cp; float x; };
    std::vector<Glyph> glyphs;
    float pen = 0;
    size_t i = 0;
    int prev = 0;
    while (i < text.size()) {
        int cp = NextCodepoint(text, i);
        if (prev) pen += stbtt_GetCodepointKernAdvance(fi, prev, cp) * scale;
        glyphs.push_back({cp, pen});
        int adv, lsb;
        stbtt_GetCodepointHMetrics(fi, cp, &adv, &lsb);
        pen += adv * scale;
        prev = cp;
    }
    int lineW = int(std::ceil(pen)) + int(pixelHeight) + 4;
    Mask line(lineW, lineH);
    for (const Glyph& g : glyphs) {
        int x0, y0, x1, y1;
        float shift = g.x - std::floor(g.x);
        stbtt_GetCodepointBitmapBoxSubpixel(fi, g.cp, scale, scale, shift, 0, &x0, &y0, &x1, &y1);
        int w = x1 - x0, h = y1 - y0;
        if (w <= 0 || h <= 0) continue;
        std::vector<unsigned char> bmp(size_t(w) * h);
        stbtt_MakeCodepointBitmapSubpixel(fi, bmp.data(), w, h, w, scale, scale, shift, 0, g.cp);
        int ox = int(std::floor(g.x)) + x0 + 2, oy = baseline + y0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                int px = ox + x, py = oy + y;
                if (px < 0 || py < 0 || px >= line.width || py >= line.height) continue;
                float c = bmp[size_t(y) * w + x] / 255.0f;
                line.At(px, py) = std::fmin(1.0f, line.At(px, py) + c);
            }
    }
    // Crop to the inked bounds.
    int minX = line.width, minY = line.height, maxX = -1, maxY = -1;
    for (int y = 0; y < line.height; ++y)
        for (int x = 0; x < line.width; ++x)
            if (line.At(x, y) > 0) {
                minX = std::min(minX, x); maxX = std::max(maxX, x);
                minY = std::min(minY, y); maxY = std::max(maxY, y);
            }
    if (maxX < 0) return Mask(1 + 2 * pad, 1 + 2 * pad);
    Mask out(maxX - minX + 1 + 2 * pad, maxY - minY + 1 + 2 * pad);
    for (int y = minY; y <= maxY; ++y)
        for (int x = minX; x <= maxX; ++x) out.At(x - minX + pad, y - minY + pad) = line.At(x, y);
    return out;
}

Mask Font::RenderFit(const std::string& text, int maxW, int maxH, int pad) const {
    float size = float(maxH);
    Mask m = Render(text, size, 0);
    // Ink bounds scale almost linearly with the pixel height: two corrections
    // settle it, then shrink in small steps until it fits.
    for (int iter = 0; iter < 2; ++iter) {
        float k = std::fmin(float(maxW) / m.width, float(maxH) / m.height);
        size *= k;
        m = Render(text, size, 0);
    }
    while ((m.width > maxW || m.height > maxH) && size > 4) {
        size *= 0.97f;
        m = Render(text, size, 0);
    }
    if (pad == 0) return m;
    Mask out(m.width + 2 * pad, m.height + 2 * pad);
    StampMask(out, m, pad, pad);
    return out;
}

const Font* UiFont() {
    static Font font;
    static bool tried = false;
    if (!tried) {
        tried = true;
        if (!font.Load(kFontPath)) std::fprintf(stderr, "datagen: cannot load the font %s\n", kFontPath);
    }
    return font.Loaded() ? &font : nullptr;
}

void BlurMask(Mask& m, int radius, int passes) {
    if (radius <= 0 || m.width == 0) return;
    std::vector<float> tmp(std::max(m.width, m.height));
    float norm = 1.0f / (2 * radius + 1);
    for (int p = 0; p < passes; ++p) {
        for (int y = 0; y < m.height; ++y) {
            float sum = 0;
            for (int x = -radius; x <= radius; ++x) sum += m.Get(x, y);
            for (int x = 0; x < m.width; ++x) {
                tmp[x] = sum * norm;
                sum += m.Get(x + radius + 1, y) - m.Get(x - radius, y);
            }
            for (int x = 0; x < m.width; ++x) m.At(x, y) = tmp[x];
        }
        for (int x = 0; x < m.width; ++x) {
            float sum = 0;
            for (int y = -radius; y <= radius; ++y) sum += m.Get(x, y);
            for (int y = 0; y < m.height; ++y) {
                tmp[y] = sum * norm;
                sum += m.Get(x, y + radius + 1) - m.Get(x, y - radius);
            }
            for (int y = 0; y < m.height; ++y) m.At(x, y) = tmp[y];
        }
    }
}

void StampMask(Mask& dst, const Mask& src, int x, int y) {
    for (int sy = 0; sy < src.height; ++sy)
        for (int sx = 0; sx < src.width; ++sx) {
            int dx = x + sx, dy = y + sy;
            if (dx < 0 || dy < 0 || dx >= dst.width || dy >= dst.height) continue;
            dst.At(dx, dy) = std::fmax(dst.At(dx, dy), src.At(sx, sy));
        }
}

Mask DilateMask(const Mask& m, int radius) {
    // A blurred copy thresholded low grows the shape by about `radius` with
    // round corners (a square max filter would turn dots into squares).
    Mask out = m;
    BlurMask(out, std::max(1, (radius + 1) / 2));
    for (size_t i = 0; i < out.v.size(); ++i) out.v[i] = std::fmax(m.v[i], SmoothStep(0.02f, 0.2f, out.v[i]));
    return out;
}

void BlendMask(Image& img, const Mask& m, Rgba c, float strength) {
    for (int y = 0; y < img.height && y < m.height; ++y)
        for (int x = 0; x < img.width && x < m.width; ++x) Over(img, x, y, c, m.At(x, y) * strength);
}

bool WriteTextures(const std::string& outDir) {
    const Font* font = UiFont();
    if (!font) return false;
    bool ok = WriteHudTextures(outDir, *font);
    ok = WriteEffectTextures(outDir) && ok;
    return ok;
}

}  // namespace datagen
