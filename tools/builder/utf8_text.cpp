#include "builder/utf8_text.h"

namespace vesk::build {

char32_t DecodeUtf8(std::string_view text, std::size_t& i)
{
    const auto byte = [&](std::size_t k) { return static_cast<std::uint8_t>(text[k]); };
    const std::uint8_t b0 = byte(i);
    if (b0 < 0x80) {
        ++i;
        return b0;
    }
    std::size_t length = 0;
    char32_t c = 0;
    char32_t minimum = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2, c = b0 & 0x1F, minimum = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3, c = b0 & 0x0F, minimum = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4, c = b0 & 0x07, minimum = 0x10000;
    } else {
        ++i;
        return kInvalidUtf8;
    }
    if (length > text.size() - i) {
        ++i;
        return kInvalidUtf8;
    }
    for (std::size_t k = 1; k < length; ++k) {
        const std::uint8_t b = byte(i + k);
        if ((b & 0xC0) != 0x80) {
            ++i;
            return kInvalidUtf8;
        }
        c = (c << 6) | (b & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        ++i;
        return kInvalidUtf8;
    }
    i += length;
    return c;
}

bool Utf8ToUtf16(std::string_view text, std::u16string& out)
{
    out.clear();
    std::size_t i = 0;
    while (i < text.size()) {
        const char32_t c = DecodeUtf8(text, i);
        if (c == kInvalidUtf8)
            return false;
        if (c >= 0x10000) {
            out.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(c));
        }
    }
    return true;
}

} // namespace vesk::build
