#pragma once
// The neutral form every format reader produces: the text of one volume as a
// stream of tokens (blocks, text and note runs, source line ends, page
// breaks), before it is cut into pages. All text is UTF-8, not escaped.
//
// The builder keeps the stream tidy so the pages need no clean-up: text
// always lies inside a block (a paragraph opens by itself), a line end is
// kept only between two pieces of text of the same block, and empty blocks
// leave no trace.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vesk::import {

enum class TokenKind : std::uint8_t {
    ParagraphStart,
    HeadingStart,
    BlockEnd,
    Text,      // main text
    Note,      // annotation text
    LineEnd,   // a line end of the source inside a block
    PageBreak, // text: the page's name (may be empty)
};

struct Token {
    TokenKind kind;
    std::uint32_t offset = 0; // into VolumeText::bytes
    std::uint32_t length = 0;
};

struct VolumeText {
    std::string bytes;
    std::vector<Token> tokens;
    bool hasPageBreaks = false;
    bool hasText = false;

    std::string_view TextOf(const Token& token) const
    {
        return std::string_view(bytes).substr(token.offset, token.length);
    }
};

// Appends tokens to a VolumeText under the rules above.
class VolumeTextBuilder {
public:
    explicit VolumeTextBuilder(VolumeText& out) : m_out(out) {}

    void StartParagraph();
    void StartHeading();
    void EndBlock();
    bool InBlock() const { return m_blockOpen; }
    bool InHeading() const { return m_blockOpen && m_heading; }
    // Text or note text; opens a paragraph when no block is open.
    void AddText(std::string_view text, bool note);
    void LineEnd();
    void PageBreak(std::string_view name);

private:
    void Push(TokenKind kind, std::string_view text = {});
    void OpenPending();

    VolumeText& m_out;
    bool m_blockOpen = false;     // a block has been asked for
    bool m_blockWritten = false;  // its start token is in the stream
    bool m_heading = false;
    bool m_lineEndPending = false;
    bool m_justBroken = false;    // a page break came since the last text
};

} // namespace vesk::import
