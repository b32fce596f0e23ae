#pragma once
// The queries of the comparison: about 50 of every class on the demo corpus,
// or a handful for the smoke run on a small generated corpus.
#include "compare/query.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vesk::bench {

// Characters picked from the open whole-text index: the one with the longest
// stream, a rare one (a stream of one block) and the most frequent above U+FFFF.
struct Picks {
    std::string frequent, rare, wide;
};
Picks PickCharacters(const CIndex& whole);

std::vector<Query> MakeQuerySet(const Picks& picks);
std::vector<Query> MakeSmokeSet(const Picks& picks);

// The bytes of key's posting stream, from its start to the end of its last record.
std::uint64_t StreamBytes(const CIndex& index, std::uint32_t key);

} // namespace vesk::bench
