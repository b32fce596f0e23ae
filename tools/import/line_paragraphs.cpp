#include "import/line_paragraphs.h"

#include "builder/utf8_text.h"

namespace vesk::import {

bool IsBlank(char32_t c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == 0x3000 || c == 0xA0;
}

std::string_view TrimBlanks(std::string_view text)
{
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t next = start;
        if (!IsBlank(build::DecodeUtf8(text, next)))
            break;
        start = next;
    }
    text.remove_prefix(start);
    // From the end: blanks are ASCII or the three bytes of U+3000 / two of U+00A0.
    while (!text.empty()) {
        if (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')
            text.remove_suffix(1);
        else if (text.ends_with("\xE3\x80\x80"))
            text.remove_suffix(3);
        else if (text.ends_with("\xC2\xA0"))
            text.remove_suffix(2);
        else
            break;
    }
    return text;
}

bool LineParagraphs::Line(std::string_view line, int lineNo, std::string& problem)
{
    m_clean.clear();
    for (const char c : line) {
        if (static_cast<unsigned char>(c) >= 0x20 || c == '\t')
            m_clean.push_back(c);
    }
    const std::string_view text = TrimBlanks(m_clean);
    if (text.empty())
        return EndParagraph(problem);
    std::size_t first = 0;
    const bool indented = !m_clean.empty() && IsBlank(build::DecodeUtf8(m_clean, first));
    if (indented && !m_notes.InNote()) {
        if (!EndParagraph(problem))
            return false;
        m_out.StartParagraph();
    } else {
        m_out.LineEnd();
    }
    return m_notes.Feed(text, lineNo, m_out, problem);
}

bool LineParagraphs::EndParagraph(std::string& problem)
{
    const bool ok = m_notes.EndParagraph(problem);
    m_out.EndBlock();
    return ok;
}

bool LineParagraphs::Heading(std::string_view text, int lineNo, std::string& problem)
{
    if (!EndParagraph(problem))
        return false;
    m_out.StartHeading();
    if (!m_notes.Feed(TrimBlanks(text), lineNo, m_out, problem))
        return false;
    return EndParagraph(problem);
}

} // namespace vesk::import
