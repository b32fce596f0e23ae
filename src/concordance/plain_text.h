#pragma once
// The text a reader sees in a stretch of page HTML: everything between "<"
// and the next ">" is a tag and dropped, and so are line breaks and tabs
// (the layout of the page file, not part of the text). A "<" without its
// ">" drops the rest. Everything else is kept byte for byte (UTF-8).
#include <cstddef>
#include <string>
#include <string_view>

namespace vesk {

// Appends the plain text of html to out.
void AppendPlainText(std::string_view html, std::string& out);

// Maps byte offsets in one stretch of HTML to offsets in its plain text.
// Asked for offsets that do not decrease, it walks the text once; a smaller
// offset starts the walk again from the beginning.
class PlainOffsets {
public:
    explicit PlainOffsets(std::string_view html) : m_html(html) {}

    // Plain-text bytes that lie before byte offset (clamped to the size).
    std::size_t At(std::size_t offset);

    std::string_view Html() const { return m_html; }

private:
    std::string_view m_html;
    std::size_t m_byte = 0;
    std::size_t m_plain = 0;
    bool m_inTag = false;
};

// Steps over code points of UTF-8 text: the offset count code points before
// (or after) at, never leaving [0, text.size()]. A code point is a byte and
// the continuation bytes (at most three) after it, so a character is never split.
std::size_t CodePointsBack(std::string_view text, std::size_t at, std::size_t count);
std::size_t CodePointsForward(std::string_view text, std::size_t at, std::size_t count);

// Number of code points in UTF-8 text (its bytes that are not continuation bytes).
std::size_t CountCodePoints(std::string_view text);

} // namespace vesk
