// A CPU-side RGB page of the contact sheet: filled rectangles, pasted
// renderings, textures scaled to fit over a checkerboard, and captions drawn
// with stb_easy_font's quads.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
};

class SheetImage {
public:
    SheetImage(int width, int height, Rgb fill);

    int Width() const { return width_; }
    int Height() const { return height_; }
    Rgb At(int x, int y) const;
    const std::vector<uint8_t>& Pixels() const { return pixels_; }

    // Rectangle clipped to the page.
    void Fill(int x, int y, int w, int h, Rgb colour);
    // Copies RGBA8 rows (top row first) to (x, y), ignoring their alpha.
    void Paste(int x, int y, int w, int h, const uint8_t* rgba);
    // Draws an RGBA8 image of srcW x srcH scaled to fit a box of boxW x boxH
    // (aspect kept, never enlarged past 4x, centred), blended over a
    // checkerboard where the image has transparent pixels. Each page pixel
    // averages the source texels it covers, so large textures shrink without
    // aliasing away thin detail.
    void DrawImageFitted(int boxX, int boxY, int boxW, int boxH, const uint8_t* rgba, int srcW, int srcH);
    // Caption text at (x, y) (its top-left corner) at an integer scale,
    // cut off at maxWidth pixels. Returns the width drawn.
    int Text(int x, int y, const std::string& text, Rgb colour, int scale, int maxWidth);
    // Width the text would take at scale 1.
    static int TextWidth(const std::string& text);

    bool WritePng(const std::string& path) const;

private:
    int width_, height_;
    std::vector<uint8_t> pixels_;  // RGB rows, top first
};
