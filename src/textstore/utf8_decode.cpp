#include "textstore/utf8_decode.h"

#include <cstdint>

namespace vesk {
namespace {

constexpr char16_t kReplacement = u'\uFFFD';

bool IsContinuation(unsigned char b)
{
    return (b & 0xC0) == 0x80;
}

void AppendCodePoint(char32_t c, std::u16string& out)
{
    if (c < 0x10000) {
        out.push_back(static_cast<char16_t>(c));
    } else {
        c -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    }
}

// The length of the well-formed sequence at bytes[i] (1 to 4) with its code
// point in c; 0 when the byte there starts none.
std::size_t DecodeSequence(std::string_view bytes, std::size_t i, char32_t& c)
{
    const auto b0 = static_cast<unsigned char>(bytes[i]);
    std::size_t length = 0;
    char32_t minimum = 0;
    if (b0 < 0x80) {
        c = b0;
        return 1;
    }
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2, c = b0 & 0x1F, minimum = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3, c = b0 & 0x0F, minimum = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4, c = b0 & 0x07, minimum = 0x10000;
    }
    if (length == 0 || length > bytes.size() - i)
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        const auto b = static_cast<unsigned char>(bytes[i + k]);
        if (!IsContinuation(b))
            return 0;
        c = c << 6 | (b & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

std::u16string Utf8ToUtf16(std::string_view bytes)
{
    std::u16string out;
    out.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        char32_t c = 0;
        const std::size_t length = DecodeSequence(bytes, i, c);
        if (length == 0) {
            out.push_back(kReplacement);
            ++i;
            continue;
        }
        AppendCodePoint(c, out);
        i += length;
    }
    return out;
}

std::optional<std::size_t> FirstInvalidUtf8(std::string_view bytes)
{
    for (std::size_t i = 0; i < bytes.size();) {
        char32_t c = 0;
        const std::size_t length = DecodeSequence(bytes, i, c);
        if (length == 0)
            return i;
        i += length;
    }
    return std::nullopt;
}

} // namespace vesk
