#include "window/clipboard_limit.h"

#include <iconv.h>

#include <array>
#include <cerrno>

namespace vesk {
namespace {

// One conversion descriptor UTF-32 -> CP932 for the life of the program.
class CodePageConverter {
public:
    CodePageConverter() : m_cd(iconv_open("CP932", "UTF-32LE")) {}
    ~CodePageConverter()
    {
        if (Available())
            iconv_close(m_cd);
    }
    CodePageConverter(const CodePageConverter&) = delete;
    CodePageConverter& operator=(const CodePageConverter&) = delete;

    bool Available() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // Bytes the code page writes for c, or 0 when it cannot encode it.
    std::size_t Encode(char32_t c)
    {
        std::array<char, 4> in{static_cast<char>(c & 0xFF), static_cast<char>((c >> 8) & 0xFF),
                               static_cast<char>((c >> 16) & 0xFF),
                               static_cast<char>((c >> 24) & 0xFF)};
        std::array<char, 8> out{};
        char* inPtr = in.data();
        char* outPtr = out.data();
        std::size_t inLeft = in.size();
        std::size_t outLeft = out.size();
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(m_cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1))
            return 0;
        return out.size() - outLeft;
    }

private:
    iconv_t m_cd;
};

CodePageConverter& Converter()
{
    static CodePageConverter converter;
    return converter;
}

bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// Length in UTF-16 units and code-page bytes of the character at i.
struct CharStep {
    std::size_t units;
    std::size_t bytes;
};

CharStep StepAt(std::u16string_view text, std::size_t i)
{
    const char16_t u = text[i];
    if (u == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
        return {2, 2};
    if (IsHighSurrogate(u) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
        const char32_t c = 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) +
                           (static_cast<char32_t>(text[i + 1]) - 0xDC00);
        return {2, CodePageCharBytes(c)};
    }
    return {1, CodePageCharBytes(u)};
}

} // namespace

std::size_t CodePageCharBytes(char32_t c)
{
    if (c == U'\n' || c == U'\r')
        return 2;
    if (c < 0x80)
        return 1;
    if (c >= 0xD800 && c <= 0xDFFF)  // a lone surrogate cannot be encoded
        return 2;
    if (Converter().Available()) {
        const std::size_t n = Converter().Encode(c);
        return n == 1 ? 1 : 2;
    }
    return (c >= 0xFF61 && c <= 0xFF9F) ? 1 : 2;  // half-width katakana
}

std::size_t CodePageLength(std::u16string_view text)
{
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < text.size();) {
        const CharStep step = StepAt(text, i);
        bytes += step.bytes;
        i += step.units;
    }
    return bytes;
}

std::optional<std::u16string> CutToCodePageLimit(std::u16string_view text, std::size_t limit)
{
    std::size_t bytes = 0;
    std::size_t fitting = 0;  // UTF-16 units of the longest prefix within limit
    bool over = false;
    for (std::size_t i = 0; i < text.size();) {
        const CharStep step = StepAt(text, i);
        bytes += step.bytes;
        i += step.units;
        if (bytes > limit) {
            over = true;
            break;
        }
        fitting = i;
    }
    if (!over)
        return std::nullopt;
    return std::u16string(text.substr(0, fitting));
}

} // namespace vesk
