#pragma once
// Finds annotations written between brackets in running text, as plain-text
// files (with "（…）" and "〔…〕" by default) and Kanripo files ("(…)") write
// them. Pairs nest; a nested pair belongs to the outermost note. A closing
// bracket without its opener, one that closes another kind of bracket, and
// an opener never closed within its paragraph are errors naming the line.
#include "import/volume_text.h"

#include <string>
#include <string_view>
#include <vector>

namespace vesk::import {

struct BracketPair {
    std::string open, close;  // one character each, UTF-8
};

// The pairs of a --note-brackets value: its characters taken two by two.
// False when the value has an odd number of characters.
bool ParseBracketPairs(std::string_view value, std::vector<BracketPair>& pairs);

class NoteSplitter {
public:
    // keepBrackets: the brackets are shown as part of the note (plain text);
    // otherwise they are markup and dropped, as is dropMark inside a note
    // (Kanripo's "/" between the two columns of a double-line note).
    NoteSplitter(std::vector<BracketPair> pairs, bool keepBrackets, std::string dropMark = {});

    // One line's text (without its line end) into out as text and note runs.
    bool Feed(std::string_view text, int line, VolumeTextBuilder& out, std::string& problem);
    // The paragraph ends: a note still open is an error.
    bool EndParagraph(std::string& problem);
    bool InNote() const { return !m_open.empty(); }

private:
    struct Open {
        std::size_t pair;
        int line;
    };
    std::vector<BracketPair> m_pairs;
    bool m_keepBrackets;
    std::string m_dropMark;
    std::vector<Open> m_open;
};

} // namespace vesk::import
