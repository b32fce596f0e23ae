#pragma once
// Finding one keyword in one stretch of page text and writing that text again
// with every occurrence highlighted and anchored.
//
// Matching works on bytes: pages are UTF-8, the keyword arrives as UTF-8, and
// "?" stands for exactly three bytes (one CJK character). "*" stands for any
// run of bytes that does not cross a "<p>" or "<h4>" tag.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "textstore/page_parser.h"

namespace vesk {

// One literal segment of a compiled keyword.
struct Seg {
    // How the segment joins what comes before it.
    enum Kind : std::int32_t {
        kAfterStar = 0,     // follows a "*"
        kAfterQuestion = 1, // follows one or more "?"
        kFirst = 2,         // first segment of a keyword that does not begin with "*"
    };
    std::int32_t kind = kFirst;
    std::string bytes; // never empty in a finished pattern
    // kAfterQuestion: the number of "?" before the segment. Other kinds: 1 plus
    // the number of "?" that open the segment's run (not used by the matcher).
    std::int32_t count = 1;
};

using Pattern = std::vector<Seg>;

inline constexpr std::string_view kHitOpenTag = "<b style='color:red;background:#D9D9D9;'>";
inline constexpr std::string_view kHitCloseTag = "</b>";
inline constexpr std::string_view kParagraphTag = "<p>";
inline constexpr std::string_view kHeadingTag = "<h4>";

// Compiles a UTF-8 keyword into its literal segments, appended to pattern.
// A keyword made only of "*" and "?" compiles into no segment at all.
void BuildPattern(std::string_view keyword, Pattern& pattern);

// Appends the anchor "<a name=\"%04d\"></a>" for number to out.
void AppendAnchor(std::int32_t number, std::string& out);

// Where one hit lies in the text MarkPattern was given: the bytes from the
// first segment's start to the last segment's end, and its anchors (one per
// segment, one more for each "?" gap).
struct HitSpan {
    std::size_t begin = 0;
    std::size_t end = 0;
    std::int32_t firstAnchor = 0;
    std::int32_t anchors = 0;
};

// Appends text to out with every hit of pattern marked, numbering anchors
// from anchorCounter (advanced past the last anchor written). Returns the
// number of hits. Hits never overlap: the search resumes after a hit's end.
// A pattern without segments marks nothing and copies text unchanged. When
// spans is given, each hit's span is appended to it; the output is the same.
std::int32_t MarkPattern(std::string_view text, const Pattern& pattern, std::string& out,
                         std::int32_t& anchorCounter, std::vector<HitSpan>* spans = nullptr);

// MarkPattern for an item's text and a keyword compiled on the spot.
std::int32_t MarkHits(const FilterItem& item, std::string_view keyword, std::string& out,
                      std::int32_t& anchorCounter);

// False when no stretch of text can hold a hit of pattern: some segment does
// not occur after the segments before it. A true answer promises nothing.
// Used to skip marking passes that could not change a page.
bool MayHaveHit(const Pattern& pattern, std::string_view text);

} // namespace vesk
