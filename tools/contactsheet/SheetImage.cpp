#include "SheetImage.h"

#include <algorithm>
#include <cmath>

#include <stb/stb_easy_font.h>
#include <stb/stb_image_write.h>

SheetImage::SheetImage(int width, int height, Rgb fill)
    : width_(std::max(width, 1)), height_(std::max(height, 1)),
      pixels_(static_cast<size_t>(width_) * height_ * 3) {
    Fill(0, 0, width_, height_, fill);
}

Rgb SheetImage::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return {};
    const uint8_t* p = &pixels_[(static_cast<size_t>(y) * width_ + x) * 3];
    return {p[0], p[1], p[2]};
}

void SheetImage::Fill(int x, int y, int w, int h, Rgb colour) {
    const int x0 = std::max(x, 0), y0 = std::max(y, 0);
    const int x1 = std::min(x + w, width_), y1 = std::min(y + h, height_);
    for (int py = y0; py < y1; ++py) {
        uint8_t* p = &pixels_[(static_cast<size_t>(py) * width_ + x0) * 3];
        for (int px = x0; px < x1; ++px, p += 3) {
            p[0] = colour.r;
            p[1] = colour.g;
            p[2] = colour.b;
        }
    }
}

void SheetImage::Paste(int x, int y, int w, int h, const uint8_t* rgba) {
    for (int row = 0; row < h; ++row) {
        const int py = y + row;
        if (py < 0 || py >= height_) continue;
        for (int col = 0; col < w; ++col) {
            const int px = x + col;
            if (px < 0 || px >= width_) continue;
            const uint8_t* s = rgba + (static_cast<size_t>(row) * w + col) * 4;
            uint8_t* d = &pixels_[(static_cast<size_t>(py) * width_ + px) * 3];
            d[0] = s[0];
            d[1] = s[1];
            d[2] = s[2];
        }
    }
}

void SheetImage::DrawImageFitted(int boxX, int boxY, int boxW, int boxH, const uint8_t* rgba, int srcW,
                                 int srcH) {
    if (rgba == nullptr || srcW <= 0 || srcH <= 0 || boxW <= 0 || boxH <= 0) return;
    const double scale = std::min({static_cast<double>(boxW) / srcW, static_cast<double>(boxH) / srcH, 4.0});
    const int w = std::max(1, static_cast<int>(std::floor(srcW * scale)));
    const int h = std::max(1, static_cast<int>(std::floor(srcH * scale)));
    const int ox = boxX + (boxW - w) / 2, oy = boxY + (boxH - h) / 2;
    for (int y = 0; y < h; ++y) {
        // Source rows covered by this page row (at least one).
        const int sy0 = std::min(srcH - 1, static_cast<int>(y / scale));
        const int sy1 = std::max(sy0 + 1, std::min(srcH, static_cast<int>((y + 1) / scale)));
        for (int x = 0; x < w; ++x) {
            const int sx0 = std::min(srcW - 1, static_cast<int>(x / scale));
            const int sx1 = std::max(sx0 + 1, std::min(srcW, static_cast<int>((x + 1) / scale)));
            // Premultiplied average so transparent texels do not bleed colour.
            double r = 0, g = 0, b = 0, a = 0;
            const int n = (sx1 - sx0) * (sy1 - sy0);
            for (int sy = sy0; sy < sy1; ++sy) {
                const uint8_t* s = rgba + (static_cast<size_t>(sy) * srcW + sx0) * 4;
                for (int sx = sx0; sx < sx1; ++sx, s += 4) {
                    const double alpha = s[3] / 255.0;
                    r += s[0] * alpha;
                    g += s[1] * alpha;
                    b += s[2] * alpha;
                    a += alpha;
                }
            }
            r /= n;
            g /= n;
            b /= n;
            a /= n;
            // Checkerboard of 8-pixel squares behind the texture.
            const int px = ox + x, py = oy + y;
            const double check = (((px / 8) + (py / 8)) & 1) ? 200.0 : 120.0;
            const auto mix = [&](double c) {
                return static_cast<uint8_t>(std::clamp(c + check * (1.0 - a), 0.0, 255.0));
            };
            Fill(px, py, 1, 1, Rgb{mix(r), mix(g), mix(b)});
        }
    }
}

int SheetImage::TextWidth(const std::string& text) {
    return stb_easy_font_width(const_cast<char*>(text.c_str()));
}

int SheetImage::Text(int x, int y, const std::string& text, Rgb colour, int scale, int maxWidth) {
    // stb_easy_font emits quads of 4 vertices, 16 bytes each (x, y, z, colour);
    // about 270 bytes per character is its documented worst case.
    std::vector<char> buffer(text.size() * 300 + 64);
    const int quads = stb_easy_font_print(0.0f, 0.0f, const_cast<char*>(text.c_str()), nullptr, buffer.data(),
                                          static_cast<int>(buffer.size()));
    const int limit = x + maxWidth;
    int right = x;
    for (int q = 0; q < quads; ++q) {
        const float* v = reinterpret_cast<const float*>(buffer.data() + q * 64);
        // Corners 0 and 2 are opposite: the quads are axis-aligned rectangles.
        const int qx0 = x + static_cast<int>(std::lround(v[0] * scale));
        const int qy0 = y + static_cast<int>(std::lround(v[1] * scale));
        const int qx1 = x + static_cast<int>(std::lround(v[8] * scale));
        const int qy1 = y + static_cast<int>(std::lround(v[9] * scale));
        if (qx1 > limit) continue;
        Fill(qx0, qy0, qx1 - qx0, qy1 - qy0, colour);
        right = std::max(right, qx1);
    }
    return right - x;
}

bool SheetImage::WritePng(const std::string& path) const {
    return stbi_write_png(path.c_str(), width_, height_, 3, pixels_.data(), width_ * 3) != 0;
}
