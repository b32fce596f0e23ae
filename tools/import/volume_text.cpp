#include "import/volume_text.h"

namespace vesk::import {

void VolumeTextBuilder::Push(TokenKind kind, std::string_view text)
{
    Token token{kind, static_cast<std::uint32_t>(m_out.bytes.size()),
                static_cast<std::uint32_t>(text.size())};
    m_out.bytes.append(text);
    m_out.tokens.push_back(token);
}

void VolumeTextBuilder::StartParagraph()
{
    EndBlock();
    m_blockOpen = true;
    m_heading = false;
}

void VolumeTextBuilder::StartHeading()
{
    EndBlock();
    m_blockOpen = true;
    m_heading = true;
}

void VolumeTextBuilder::EndBlock()
{
    if (m_blockWritten)
        Push(TokenKind::BlockEnd);
    m_blockOpen = m_blockWritten = m_lineEndPending = false;
}

// A block's start token goes in only with its first text, so an empty
// block leaves nothing behind.
void VolumeTextBuilder::OpenPending()
{
    if (!m_blockOpen)
        StartParagraph();
    if (!m_blockWritten) {
        Push(m_heading ? TokenKind::HeadingStart : TokenKind::ParagraphStart);
        m_blockWritten = true;
    }
}

void VolumeTextBuilder::AddText(std::string_view text, bool note)
{
    if (text.empty())
        return;
    OpenPending();
    if (m_lineEndPending) {
        Push(TokenKind::LineEnd);
        m_lineEndPending = false;
    }
    Push(note ? TokenKind::Note : TokenKind::Text, text);
    m_out.hasText = true;
    m_justBroken = false;
}

void VolumeTextBuilder::LineEnd()
{
    // A line end right after a page break would only begin the new page.
    if (m_blockWritten && !m_justBroken)
        m_lineEndPending = true;
}

void VolumeTextBuilder::PageBreak(std::string_view name)
{
    m_lineEndPending = false;
    m_justBroken = true;
    Push(TokenKind::PageBreak, name);
    m_out.hasPageBreaks = true;
}

} // namespace vesk::import
