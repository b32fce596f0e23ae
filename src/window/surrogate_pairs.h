#pragma once
// Qt's HTML import gives the names of an empty anchor (<a name="0001"></a>)
// to the first UTF-16 unit of the text that follows it. When that text
// begins with a character above U+FFFF, the two halves of its surrogate pair
// end up with different formats, and each half is drawn alone as a
// replacement glyph. The hit pages put such an anchor before every hit, and
// rare characters are what users search for.
class QTextDocument;

namespace vesk {

// Gives each surrogate pair that a format change splits the format of its
// first half (anchor names included), so the character is drawn whole and
// the anchor still lies on it. Returns the number of pairs joined.
int JoinSplitSurrogatePairs(QTextDocument& document);

} // namespace vesk
