#pragma once
// Variant spellings of a keyword, for highlighting.
//
// The keyword is walked by code point (a surrogate pair is one character).
// Each character is replaced by the members of the first group holding it,
// compared in full 32 bits, in group order; a character no group holds stands
// for itself. Every combination is one spelling: the first character's
// alternatives vary slowest, the last's fastest. Separators (U+0020, U+3000)
// take part like any other character. Members are written in UTF-16, a pair
// above U+FFFF; a member above U+10FFFF (not a character) is written U+FFFD.
//
// The count of spellings is the product of the group sizes, so both entry
// points are bounded:
//
// - ExpandVariants returns at most kMaxVariantSpellings spellings, the first
//   ones in order, and stops before the spellings would hold more than
//   kMaxVariantUnits UTF-16 units in all (4 MB), so a long keyword cannot
//   make it allocate 65536 copies of itself.
//
// - AddVariantKeywords hands a hit page writer the keywords of all spellings
//   joined by U+0020 (a term that recurs is one keyword) and gives the same
//   page as running every one of them, without enumerating them: a pass that
//   cannot mark anything leaves a framed page as it was, so only keywords
//   whose literal segments all occur, in order, in the current text cell are
//   run, and a whole family of spellings is dropped as soon as the prefix it
//   shares does not occur. Spellings are visited term by term in the order a
//   plain expansion would first produce them; a term repeated from another
//   term's spellings is recognised from the groups, not from a list, so
//   memory stays at the keyword's candidate positions in one text cell. The
//   work done is at most kVariantWorkLimit steps (a step: one candidate
//   position checked, 64 bytes of text scanned, one term compared when a
//   spelling is checked against the other terms, or one byte of page in a
//   marking pass, the passes of the terms' first spellings included). No page of the demo corpus comes near it (the slowest
//   render with keywords of 12 characters takes about 10 ms); a page made to
//   defeat the walk, every member of an 11-member group everywhere and a
//   keyword of six of them joined by "*", reaches it after about 30 ms
//   (bench/render_bench.cpp). When the limit is reached the remaining
//   spellings are not marked; the page keeps the marks made so far, and the
//   caller is told.
//
//   That walk needs every position of the keyword to be either a separator
//   with only separator alternatives or a character without separator
//   alternatives, and no alternative to be a surrogate or above U+10FFFF. A
//   keyword that breaks this (only possible with a table that groups
//   separators or non-characters) is rendered from ExpandVariants instead,
//   keyword by keyword with the same skip test, bounded by its list.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/variant_table.h"
#include "textstore/hit_page.h"

namespace vesk {

inline constexpr std::size_t kMaxVariantSpellings = 65536;
inline constexpr std::size_t kMaxVariantUnits = std::size_t{1} << 21;
inline constexpr std::uint64_t kVariantWorkLimit = 4'000'000;

// The variant spellings of keyword in order, at most kMaxVariantSpellings
// and at most kMaxVariantUnits units in all (but always the first spelling).
// An empty keyword gives one empty spelling.
std::vector<std::u16string> ExpandVariants(const VariantGroups& groups, std::u16string_view keyword);

// Runs the keywords of the variant expansion of keyword through writer.
// Returns false when the work limit cut the expansion short.
bool AddVariantKeywords(const VariantGroups& groups, std::u16string_view keyword, HitPageWriter& writer);

} // namespace vesk
