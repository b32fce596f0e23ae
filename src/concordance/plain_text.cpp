#include "concordance/plain_text.h"

#include <algorithm>

namespace vesk {
namespace {

bool IsLayoutByte(char c)
{
    return c == '\n' || c == '\r' || c == '\t';
}

bool IsContinuation(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

} // namespace

void AppendPlainText(std::string_view html, std::string& out)
{
    // One pass over the bytes into room reserved beforehand: page text is
    // mostly text, and this runs over every text cell a concordance reads.
    const std::size_t start = out.size();
    out.resize(start + html.size());
    char* to = out.data() + start;
    bool inTag = false;
    for (const char c : html) {
        if (inTag) {
            inTag = c != '>';
        } else if (c == '<') {
            inTag = true;
        } else if (!IsLayoutByte(c)) {
            *to++ = c;
        }
    }
    out.resize(static_cast<std::size_t>(to - out.data()));
}

std::size_t PlainOffsets::At(std::size_t offset)
{
    offset = std::min(offset, m_html.size());
    if (offset < m_byte) {
        m_byte = 0;
        m_plain = 0;
        m_inTag = false;
    }
    for (; m_byte < offset; ++m_byte) {
        const char c = m_html[m_byte];
        if (m_inTag) {
            m_inTag = c != '>';
        } else if (c == '<') {
            m_inTag = true;
        } else if (!IsLayoutByte(c)) {
            ++m_plain;
        }
    }
    return m_plain;
}

std::size_t CodePointsBack(std::string_view text, std::size_t at, std::size_t count)
{
    at = std::min(at, text.size());
    for (; count > 0 && at > 0; --count) {
        --at;
        // At most three continuation bytes belong to one lead byte.
        for (int k = 0; k < 3 && at > 0 && IsContinuation(text[at]); ++k)
            --at;
    }
    return at;
}

std::size_t CodePointsForward(std::string_view text, std::size_t at, std::size_t count)
{
    at = std::min(at, text.size());
    for (; count > 0 && at < text.size(); --count) {
        ++at;
        for (int k = 0; k < 3 && at < text.size() && IsContinuation(text[at]); ++k)
            ++at;
    }
    return at;
}

std::size_t CountCodePoints(std::string_view text)
{
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return !IsContinuation(c); }));
}

} // namespace vesk
