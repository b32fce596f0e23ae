#pragma once
// Phrases searched over the pair index (pair_index.h) instead of the posting
// streams of their characters.
//
// A phrase of n >= 2 characters without wildcards ends at position e of a
// page exactly when each of its characters stands at its place before e,
// that is when a set of pairs covering every character stands at its
// places: the pairs at term positions 0, 2, 4, ... and, for an odd n, the
// last pair. Their streams are aligned page by page (a lagging stream leaps
// through its marks) and on a page where all meet the places are counted
// by the phrase search over their lists, read straight from the bytes
// (lists_in_block.h). The pages and counts are those the posting streams
// give (a phrase's places are the positions its characters' lists share).
#include "engine/pair_index.h"
#include "engine/term_search.h"

#include <cstdint>
#include <vector>

namespace vesk {

// True when the pair index answered the planned term: pages and counts then
// hold its pages (ascending) and counts. A phrase searched with variants
// stands for the pairs of its groups' members (variants gives the groups);
// that needs a file with key checksums, since an unlisted member pair then
// counts as never occurring. False, with pages and counts as they were,
// when the term is not a phrase, a pair of character keys is not listed
// (without variants), a list or stream turns out damaged, or a phrase with
// variants meets a file without key checksums: the caller then searches
// the posting streams.
bool ScanPhraseByPairs(const TermPlan& plan, const PairIndex& pairs, const VariantTable& variants,
                       std::vector<std::uint32_t>& pages, std::vector<std::uint32_t>& counts);

} // namespace vesk
