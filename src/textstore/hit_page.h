#pragma once
// Hit pages: a stored page rebuilt in a fixed HTML frame with every keyword
// highlighted and anchored in its text cell.
//
// Each keyword is one pass: the working page is parsed, the text cell's items
// are marked according to the search target, and the page is assembled in
// the frame again; the next keyword works on that result, so earlier marks
// stay in place. Anchors are numbered keyword by keyword across the passes.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "textstore/hit_marker.h"

namespace vesk {

// Which stretches of the text cell are marked.
enum SearchTarget : std::int32_t {
    kTargetWhole = 0,       // main text and annotations
    kTargetMain = 1,        // main text only
    kTargetAnnotations = 2, // annotations only
};

// The seven pieces of the frame are kFramePiece1, title, kFramePiece3, first
// cell, kFramePiece5, second cell, kFramePiece7.
inline constexpr std::string_view kFramePiece1 =
    "<html><head>\t\t<meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\"><title>";
inline constexpr std::string_view kFramePiece3 =
    "</title></head><div align=\"center\"><center><BODY>\t\t<TABLE border=1 cellPadding=0 "
    "cellSpacing=1 class=wd_gray height=477 width=635 bordercolor=\"#FFCC66\">\t\t<tr>  <TD "
    "height=477 width=80 vAlign=top align=\"center\" background=\"../Back.gif\">";
inline constexpr std::string_view kFramePiece5 =
    "</TD>\t\t<TD height=477 width=450 vAlign=top align=\"center\">";
inline constexpr std::string_view kFramePiece7 =
    "</TD> \t\t</tr></table></div></div>\t\t</center></BODY></html>";

// One pass for one keyword: parses page, marks keyword in the text cell
// (textCell 0 the first cell, 1 the second) as target asks, and appends the
// framed page to out. Returns the number of hits. Targets other than main
// text and annotations mark the whole text.
std::int32_t AssemblePage(std::string_view page, std::string& out, std::string_view keyword,
                          std::int32_t textCell, std::int32_t target, std::int32_t& anchorCounter);

// Text cell selector of a page: 0 (first cell) for an even page number, 1 for
// an odd one, negative numbers included.
inline std::int32_t TextCellOfPage(std::int64_t pageNumber)
{
    return pageNumber % 2 == 0 ? 0 : 1;
}

// The keywords of a keyword string: the runs between U+0020 and U+3000
// separators, in order; runs of separators give no empty keywords.
std::vector<std::u16string_view> SplitKeywords(std::u16string_view keywords);

// Every pass parses and rebuilds the whole working page, so a keyword of
// thousands of different terms that all occur on a large page costs thousands
// of page-sized passes. The passes of one hit page stop once they have
// worked through kMaxPassBytes bytes of page in all (about a third of a
// second; a page of the demo corpus with a keyword of a few terms needs well
// under a megabyte); the keywords after that are not marked.
inline constexpr std::uint64_t kMaxPassBytes = std::uint64_t{64} << 20;

// One hit a marking pass made, as that pass saw the text cell: the item it
// lies in (index in FilterAnnotations order, which every pass shares, since
// marks add no annotation tags), that item's text with the marks of earlier
// passes, and the hit's bytes and anchors in it.
struct MarkedHit {
    std::size_t item = 0;
    std::int32_t itemKind = 0; // 0 main text, 1 annotation
    std::string_view itemText;
    HitSpan span;
    bool firstInItem = false; // the pass's first hit in this item
};
using HitObserver = std::function<void(const MarkedHit&)>;

// The passes of one hit page. The first keyword always runs a pass (it puts
// the stored page into the frame); a repeated keyword is skipped; any later
// keyword runs a pass only if it may have a hit in the current text cell.
// A pass without hits rebuilds a framed page byte for byte, so skipping it
// leaves the result exactly as if it had run.
class HitPageWriter {
public:
    HitPageWriter(std::string_view storedPage, std::int64_t pageNumber, std::int32_t target);

    // Told of every hit the following passes mark, in anchor order; the page
    // written is the same with or without it.
    void SetHitObserver(HitObserver observer) { m_observer = std::move(observer); }

    // Runs the pass for one UTF-8 keyword, unless it is skipped.
    void AddKeyword(std::string_view keyword);
    // Runs the pass for a keyword the caller knows to be new and to have its
    // segments in order in the current text cell; it is not remembered.
    void RunPass(std::string_view keyword);

    // False when a keyword beginning with these UTF-8 literal bytes (the
    // pattern of a keyword prefix) cannot mark anything in the current text
    // cell. Always true before the first pass.
    bool MayHaveHit(const Pattern& pattern) const;

    // The text cell as the next pass will see it (after the first pass).
    std::string_view TextCell() const { return m_textCell; }
    // Number of passes that marked something; it changes whenever the text
    // cell changes after the first pass.
    std::uint64_t Revision() const { return m_revision; }

    // Bytes of page the passes so far have worked through, and whether a
    // keyword was left unmarked because they reached kMaxPassBytes.
    std::uint64_t PassBytes() const { return m_passBytes; }
    bool Cut() const { return m_cut; }

    bool Started() const { return m_started; }
    std::int32_t Anchors() const { return m_anchors; }
    // The working page: the stored page until the first pass, then the
    // generated page.
    const std::string& Page() const { return m_page; }

private:
    void RunPattern(const Pattern& pattern);

    std::string m_page;
    std::string m_textCell;
    std::unordered_set<std::string> m_seen;
    HitObserver m_observer;
    std::int32_t m_textCellIndex;
    std::int32_t m_target;
    std::int32_t m_anchors = 0;
    std::uint64_t m_revision = 0;
    std::uint64_t m_passBytes = 0;
    bool m_started = false;
    bool m_cut = false;
};

// Splits keywords, converts each to UTF-8 (unpaired surrogates encoded as
// they stand) and hands them to writer in order.
void AddKeywords(std::u16string_view keywords, HitPageWriter& writer);

// The hit page of a stored page: the passes of AddKeywords. Returns
// the number of anchors written. When keywords holds no keyword (empty, or
// separators only) no pass runs, out is left untouched and the result is 0;
// otherwise out is replaced by the generated page.
std::int32_t GenerateHitPage(std::string_view storedPage, std::int64_t pageNumber,
                             std::u16string_view keywords, std::int32_t target, std::string& out);

} // namespace vesk
