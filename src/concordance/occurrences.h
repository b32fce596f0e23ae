#pragma once
// Every occurrence of a search that its hit pages mark, with the text around
// it, page by page.
//
// An occurrence is one hit of the hit marker (hit_marker.h) on the hit page
// that the search pane would show for the page: the pane's keyword, target
// and variant setting give the same marks. Its anchor is the hit's first
// anchor, the one F3 steps to; a hit has one anchor per literal segment and
// one more per "?" gap, so `anchors` of all occurrences of a page add up to
// the page's anchor count. The matched text is the page's own text from the
// first segment's start to the last segment's end (a variant spelling, or
// what a "?" or "*" covered, as written there).
//
// Context: up to contextChars code points on each side, taken from the
// plain text (plain_text.h) of the page's text cell in reading order, main
// text and annotations alike, never past the cell.
//
// The index counts places, the hit marker marks them; the two differ where
// the index joins a phrase across an annotation in the main-text layer (the
// marker works item by item and cannot mark it), and where a later keyword
// of several overlaps an earlier one's marks. The occurrences follow the
// marks; totals give both figures.
#include "engine/index.h"
#include "textstore/hit_page.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace vesk {

inline constexpr std::int32_t kDefaultContextChars = 10;
inline constexpr std::int32_t kMaxContextChars = 100;

// Layers of an occurrence (the kind of its text cell item).
inline constexpr std::int32_t kLayerMain = 0;
inline constexpr std::int32_t kLayerAnnotation = 1;

struct Occurrence {
    std::uint32_t pageId = 0;
    std::int32_t anchor = 0;  // the hit's first anchor on the hit page
    std::int32_t anchors = 0; // anchors the hit wrote
    std::int32_t layer = kLayerMain;
    std::string left;  // UTF-8, at most contextChars code points
    std::string match; // UTF-8
    std::string right; // UTF-8, at most contextChars code points
};

struct ConcordanceQuery {
    std::u16string keyword;             // terms separated by U+0020 or U+3000
    std::int32_t target = kTargetWhole; // what the hit page marks (SearchTarget)
    bool useVariants = false;
    std::int32_t contextChars = kDefaultContextChars; // clamped to 0 .. kMaxContextChars
};

// The hit page target that marks the layer an index type searches
// (kIndexWhole, kIndexMain, kIndexAnnotations).
std::int32_t TargetOfIndexType(int indexType);

// Appends the occurrences of one page in anchor order to out; nothing when
// the page cannot be read or holds no mark.
void AppendPageOccurrences(const CIndex& index, std::uint32_t pageId, const ConcordanceQuery& query,
                           std::vector<Occurrence>& out);

// Receives each page's occurrences (possibly none); returning false stops
// the stream before the next page.
using OccurrenceSink = std::function<bool(std::uint32_t pageId, std::span<const Occurrence> occurrences)>;

// The occurrences of pages, page by page in the order given: only one
// page's occurrences are held at a time. Returns false when sink stopped it.
bool StreamOccurrences(const CIndex& index, std::span<const std::uint32_t> pages, const ConcordanceQuery& query,
                       const OccurrenceSink& sink);

} // namespace vesk
