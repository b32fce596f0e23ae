#pragma once
// Lines of running text into paragraphs, for the plain-text and Kanripo
// readers: a blank line ends a paragraph, a line that begins with blanks
// (spaces, tabs, ideographic spaces) begins a new one, and any other line
// continues the paragraph, joined to the line before without anything in
// between, so that a phrase running over the line end stays one phrase.
// Blanks at both ends of a line are dropped; other control characters too.
// A note may run over line ends, also into an indented line, but not over a
// blank line.
#include "import/note_brackets.h"
#include "import/volume_text.h"

namespace vesk::import {

class LineParagraphs {
public:
    LineParagraphs(VolumeTextBuilder& out, NoteSplitter& notes) : m_out(out), m_notes(notes) {}

    // One line without its line end. False with problem ("line N: ...").
    bool Line(std::string_view line, int lineNo, std::string& problem);
    // Ends the paragraph (at a blank line, a heading, the end of the file).
    bool EndParagraph(std::string& problem);
    // A heading line of its own.
    bool Heading(std::string_view text, int lineNo, std::string& problem);

private:
    VolumeTextBuilder& m_out;
    NoteSplitter& m_notes;
    std::string m_clean;
};

// Whether a code point is a blank for the rules above.
bool IsBlank(char32_t c);
// text without blanks at either end.
std::string_view TrimBlanks(std::string_view text);

} // namespace vesk::import
