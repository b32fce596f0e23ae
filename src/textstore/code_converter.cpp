#include "textstore/code_converter.h"

namespace vesk {

void AppendUtf8(char32_t c, std::string& target)
{
    if (c < 0x80) {
        target.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        target.push_back(static_cast<char>(0xC0 | (c >> 6)));
        target.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        target.push_back(static_cast<char>(0xE0 | (c >> 12)));
        target.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        target.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c <= 0x10FFFF) {
        target.push_back(static_cast<char>(0xF0 | (c >> 18)));
        target.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        target.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        target.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        target.append("\xEF\xBF\xBD");
    }
}

ConversionResult Utf16ToUtf8(std::u16string_view source, std::string& target, bool lenient)
{
    target.reserve(target.size() + source.size() * 4);
    for (std::size_t i = 0; i < source.size(); ++i) {
        char32_t c = source[i];
        if (IsHighSurrogate(c)) {
            if (i + 1 == source.size())
                return kSourceExhausted;
            const char32_t next = source[i + 1];
            if (IsLowSurrogate(next)) {
                c = CombineSurrogates(c, next);
                ++i;
            } else if (!lenient) {
                return kSourceIllegal;
            }
        } else if (IsLowSurrogate(c) && !lenient) {
            return kSourceIllegal;
        }
        AppendUtf8(c, target);
    }
    return kConversionOk;
}

ConversionResult Utf16ToUtf32(const char16_t*& source, const char16_t* sourceEnd,
                              char32_t*& target, char32_t* targetEnd, bool lenient)
{
    while (source < sourceEnd) {
        const char16_t* at = source;
        char32_t c = *at++;
        if (IsHighSurrogate(c)) {
            if (at == sourceEnd)
                return kSourceExhausted;
            if (IsLowSurrogate(*at)) {
                c = CombineSurrogates(c, *at);
                ++at;
            } else if (!lenient) {
                return kSourceIllegal;
            }
        } else if (IsLowSurrogate(c) && !lenient) {
            return kSourceIllegal;
        }
        if (target >= targetEnd)
            return kTargetExhausted;
        *target++ = c;
        source = at;
    }
    return kConversionOk;
}

std::int32_t CodePointToSlot(std::uint32_t c)
{
    // The ranges are tested in this order; the first that holds c wins, so the
    // compatibility ideographs U+F900..U+FAFF never reach the last range.
    if (c >= 0x3400 && c <= 0x9FFF)
        return static_cast<std::int32_t>(c - 0x3400);
    if (c >= 0xF900 && c <= 0xFAFF)
        return static_cast<std::int32_t>(c - 0x8C00);
    if (c >= 0x20000 && c <= 0x2A6DF)
        return static_cast<std::int32_t>(c - 0x18100);
    if (c >= 0x2F800 && c <= 0x2FA1F)
        return static_cast<std::int32_t>(c - 0x1D220);
    if (c >= 0x3042 && c <= 0x30F6)
        return static_cast<std::int32_t>(c + 0xF7BE);
    if (c >= 0xE000 && c <= 0xFFFF)
        return static_cast<std::int32_t>(c + 0x48B5);
    return -1;
}

} // namespace vesk
