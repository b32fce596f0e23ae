#include "window/toolbar_images.h"

#include <cstddef>

namespace vesk {
namespace {

constexpr int kFirstImageX = 3;
constexpr int kFirstImageY = 4;
constexpr int kSeparatorAdvance = 6;
constexpr int kButtonExtra = 7;

std::size_t Offset(const Dib24& dib, int x, int row)
{
    return (static_cast<std::size_t>(row) * static_cast<std::size_t>(dib.width) +
            static_cast<std::size_t>(x)) * 3;
}

} // namespace

Dib24::Dib24(int w, int h, Rgb fill) : width(w), height(h)
{
    if (w <= 0 || h <= 0) {
        width = height = 0;
        return;
    }
    bits.resize(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 3);
    for (std::size_t i = 0; i < bits.size(); i += 3) {
        bits[i] = fill.blue;
        bits[i + 1] = fill.green;
        bits[i + 2] = fill.red;
    }
}

bool Dib24::IsValid() const
{
    return width > 0 && height > 0 &&
           bits.size() == static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3;
}

Rgb Dib24::Pixel(int x, int row) const
{
    const std::size_t at = Offset(*this, x, row);
    return {bits[at + 2], bits[at + 1], bits[at]};
}

void Dib24::SetPixel(int x, int row, Rgb colour)
{
    const std::size_t at = Offset(*this, x, row);
    bits[at] = colour.blue;
    bits[at + 1] = colour.green;
    bits[at + 2] = colour.red;
}

bool BlendBackground(Dib24& strip, const Dib24& background, Rgb transparent,
                     const ToolbarStripLayout& layout, Rgb fallback)
{
    if (!strip.IsValid() || !background.IsValid() || layout.imageWidth <= 0 ||
        layout.imageHeight <= 0)
        return false;
    const int imagesInStrip = strip.width / layout.imageWidth;
    const int rows = layout.imageHeight < strip.height ? layout.imageHeight : strip.height;
    int x = kFirstImageX;
    const int y = kFirstImageY;
    int n = 0;
    for (int id : layout.itemIds) {
        if (id == 0) {
            x += kSeparatorAdvance;
            continue;
        }
        if (n >= imagesInStrip)
            break;
        for (int j = 0; j < layout.imageWidth; ++j) {
            const int stripX = n * layout.imageWidth + j;
            for (int k = 0; k < rows; ++k) {
                if (strip.Pixel(stripX, k) != transparent)
                    continue;
                const bool inside = x + j < background.width && k + y < background.height;
                strip.SetPixel(stripX, k, inside ? background.Pixel(x + j, k + y) : fallback);
            }
        }
        x += layout.imageWidth + kButtonExtra;
        ++n;
    }
    return true;
}

void MakeGray(Dib24& strip)
{
    for (std::size_t i = 0; i + 2 < strip.bits.size(); i += 3) {
        const unsigned b = strip.bits[i];
        const unsigned g = strip.bits[i + 1];
        const unsigned r = strip.bits[i + 2];
        const auto grey = static_cast<std::uint8_t>((117 * b + 601 * g + 306 * r) >> 10);
        strip.bits[i] = strip.bits[i + 1] = strip.bits[i + 2] = grey;
    }
}

} // namespace vesk
