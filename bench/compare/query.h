#pragma once
// One query of the comparison, and how each searcher spells it.
#include "engine/index.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vesk::bench {

struct Query {
    std::string group;   // the class the per-class sums gather
    std::string keyword; // UTF-8; terms separated by spaces
    int type = kIndexWhole;
    bool useOr = false;
    bool useVariants = false;
};

// Pages found, ascending, with the places on each (0 when a searcher does not count).
struct Found {
    std::vector<std::uint32_t> pages;
    std::vector<std::uint32_t> counts;
};

// A term as the peers read it: the units after "*" normalisation (runs
// collapsed, no "*" at either end), each character with the members of its
// variant group when the variant option is on (itself alone otherwise).
struct PeerUnit {
    enum Kind { Character, AnyOne, Gap } kind = Character;
    std::vector<std::string> spellings; // UTF-8 characters, for Character
};
using PeerTerm = std::vector<PeerUnit>;

std::vector<PeerTerm> PeerTerms(const Query& query, const CIndex& index);

// Whether a term holds a "*" (the peers then differ in what they can say).
bool HasGap(const PeerTerm& term);

// Sorts found by page and merges equal pages (their counts added): or.
Found Unite(const std::vector<Found>& parts);
// Pages present in every part, counts added: and.
Found Intersect(const std::vector<Found>& parts);

} // namespace vesk::bench
