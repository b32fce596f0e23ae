#include "import/paginate.h"

#include "builder/utf8_text.h"

namespace vesk::import {
namespace {

constexpr std::string_view kNoteOpen = "<font size=-1 color=\"#993366\">";
constexpr std::string_view kNoteClose = "</font>";

std::uint32_t CodePoints(std::string_view text)
{
    std::uint32_t count = 0;
    for (const char c : text)
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return count;
}

// The longest prefix of text with at most n code points.
std::size_t PrefixOfCodePoints(std::string_view text, std::uint32_t n)
{
    std::size_t i = 0;
    for (std::uint32_t k = 0; k < n && i < text.size(); ++k)
        build::DecodeUtf8(text, i);
    return i;
}

std::uint32_t EscapedPositions(std::string_view text)
{
    std::uint32_t extra = 0;
    for (const char c : text)
        extra += c == '&' ? 4 : (c == '<' || c == '>') ? 3 : 0;
    return CodePoints(text) + extra;
}

class Pager {
public:
    Pager(const PaginateOptions& options, const std::function<void(PageOut&&)>& emit)
        : m_options(options), m_emit(emit)
    {
    }

    void Run(const VolumeText& volume)
    {
        const bool byMarkers = volume.hasPageBreaks;
        for (const Token& token : volume.tokens) {
            const std::string_view text = volume.TextOf(token);
            switch (token.kind) {
            case TokenKind::ParagraphStart:
            case TokenKind::HeadingStart:
                m_block = token.kind == TokenKind::HeadingStart ? "h4" : "p";
                OpenBlock();
                break;
            case TokenKind::BlockEnd:
                CloseBlock();
                m_block.clear();
                if (m_nearFull)
                    ++m_split, Break({});
                else if (!byMarkers && m_chars >= m_options.pageChars)
                    Break({});
                break;
            case TokenKind::Text:
            case TokenKind::Note:
                AddText(text, token.kind == TokenKind::Note);
                break;
            case TokenKind::LineEnd:
                if (m_nearFull) {
                    ++m_split;
                    Break({});
                } else if (!byMarkers && m_chars >= m_options.pageChars) {
                    Break({});
                } else if (m_options.keepLines) {
                    CloseNote();
                    AddTag("<br>");
                }
                break;
            case TokenKind::PageBreak:
                Break(text);
                break;
            }
        }
        Break({});
    }

    std::uint32_t pages() const { return m_pages; }
    std::uint32_t split() const { return m_split; }

private:
    void AddTag(std::string_view tag)
    {
        m_cell.append(tag);
        ++m_positions;
    }

    void OpenBlock()
    {
        m_blockStart = m_cell.size();
        m_positionsAtBlockStart = m_positions;
        m_blockHasText = false;
        m_cell.push_back('\n');
        ++m_positions;
        AddTag("<" + m_block + ">");
    }

    void CloseNote()
    {
        if (m_inNote) {
            AddTag(kNoteClose);
            m_inNote = false;
        }
    }

    void CloseBlock()
    {
        if (!m_block.empty() && !m_blockHasText) {
            // A block continued from the page before that ends at once.
            m_cell.resize(m_blockStart);
            m_positions = m_positionsAtBlockStart;
            m_inNote = false;
            return;
        }
        CloseNote();
        if (!m_block.empty())
            AddTag("</" + m_block + ">");
    }

    void AddText(std::string_view text, bool note)
    {
        while (!text.empty()) {
            // Room for the text, the note tags and the block's end tag.
            const std::uint32_t used = m_positions + 4;
            const std::uint32_t room = used < kMaxPagePositions ? kMaxPagePositions - used : 0;
            std::string_view piece = text;
            if (EscapedPositions(piece) > room) {
                piece = text.substr(0, PrefixOfCodePoints(text, room / 5));
                if (piece.empty() && m_hasText) {
                    ++m_split;
                    Break({});
                    continue;
                }
                if (piece.empty())
                    piece = text.substr(0, PrefixOfCodePoints(text, 1));
            }
            if (note != m_inNote) {
                if (m_inNote)
                    CloseNote();
                else
                    AddTag(kNoteOpen), m_inNote = true;
            }
            AppendEscaped(m_cell, piece);
            m_positions += EscapedPositions(piece);
            m_chars += CodePoints(piece);
            m_hasText = m_blockHasText = true;
            text.remove_prefix(piece.size());
        }
        // Close to the limit: break at the next line or block end.
        if (m_positions > kMaxPagePositions - kMaxPagePositions / 8)
            m_nearFull = true;
    }

    // Ends the page here; an open block continues on the next page.
    void Break(std::string_view nextName)
    {
        const bool continuing = !m_block.empty();
        const bool wasNote = m_inNote;
        CloseBlock();
        if (m_hasText) {
            ++m_pages;
            PageOut page;
            page.name = m_name;
            page.html = PageHtml();
            m_emit(std::move(page));
        }
        m_cell.clear();
        m_positions = m_chars = 0;
        m_hasText = m_nearFull = false;
        m_name = nextName;
        if (continuing) {
            OpenBlock();
            if (wasNote)
                AddTag(kNoteOpen), m_inNote = true;
        }
    }

    std::string PageHtml() const
    {
        std::string title = m_options.titlePrefix;
        title += ' ';
        title += m_name.empty() ? std::to_string(m_pages) : m_name;
        std::string text = "<TD valign=\"top\">" + m_cell + "\n</TD>";
        const std::string empty = "<TD></TD>";
        const bool even = m_pages % 2 == 0;
        std::string html = "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>";
        AppendEscaped(html, title);
        html += "</title>\n</head>\n<body>\n<table width=\"100%\" cellpadding=\"10\">\n<tr>\n";
        html += even ? text : empty;
        html += '\n';
        html += even ? empty : text;
        html += "\n</tr>\n</table>\n</body>\n</html>\n";
        return html;
    }

    const PaginateOptions& m_options;
    const std::function<void(PageOut&&)>& m_emit;
    std::string m_cell;
    std::string m_block;  // "p", "h4" or empty
    std::string m_name;
    std::size_t m_blockStart = 0;
    std::uint32_t m_positionsAtBlockStart = 0;
    bool m_blockHasText = false;
    std::uint32_t m_positions = 0, m_chars = 0, m_pages = 0, m_split = 0;
    bool m_inNote = false, m_hasText = false, m_nearFull = false;
};

} // namespace

void AppendEscaped(std::string& out, std::string_view text)
{
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        default: out.push_back(c);
        }
    }
}

std::uint32_t Paginate(const VolumeText& volume, const PaginateOptions& options,
                       const std::function<void(PageOut&&)>& emit, std::uint32_t& splitOver)
{
    Pager pager(options, emit);
    pager.Run(volume);
    splitOver = pager.split();
    return pager.pages();
}

} // namespace vesk::import
