#pragma once
// Pixel work on the toolbar's button strips, on 24-bit pictures stored the
// way bitmap files store them: rows bottom first, three bytes per pixel in
// the order blue, green, red, no row padding.
#include <cstdint>
#include <span>
#include <vector>

namespace vesk {

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

struct Dib24 {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bits;  // height rows of width * 3 bytes, bottom row first

    Dib24() = default;
    Dib24(int w, int h, Rgb fill = {});
    bool IsValid() const;
    // row counts from the bottom, as the rows are stored
    Rgb Pixel(int x, int row) const;
    void SetPixel(int x, int row, Rgb colour);
};

// Toolbar geometry that decides which part of the background lies behind
// each button image.
struct ToolbarStripLayout {
    std::span<const int> itemIds;  // toolbar items in order; 0 is a separator
    int imageWidth = 0;
    int imageHeight = 0;
};

// Replaces every pixel of exactly the transparent colour in the button
// images of strip by the background pixel behind it on the toolbar: the first
// image starts at (3, 4) of the background, a separator moves on 6 pixels, a
// button imageWidth + 7. Where the background ends, fallback is used. A strip
// or background that is not a valid picture is left alone; returns false then.
bool BlendBackground(Dib24& strip, const Dib24& background, Rgb transparent,
                     const ToolbarStripLayout& layout, Rgb fallback);

// Turns every pixel grey: L = (117 B + 601 G + 306 R) >> 10.
void MakeGray(Dib24& strip);

} // namespace vesk
