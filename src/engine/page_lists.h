#pragma once
// Counting the places of a term on one page from its cursors' position lists,
// decoded beforehand as running sums (PostingCursor::DecodePositionSums).
// A cursor's aligned position is base + sum, base being the number of term
// positions after its character: the position at which the whole term would
// end if the character stood at its place. Each count equals what the
// forward scan of the page search finds over the same sound lists.
#include <cstdint>
#include <span>
#include <vector>

namespace vesk {

// One cursor's list on the page: aligned position k is sums[k] + base. An
// aligned position past 2^32 - 1 ends the list, as it ends the page search.
struct AlignedList {
    AlignedList(std::span<const std::uint32_t> listSums, std::uint32_t listBase);
    std::size_t size() const { return sums.size(); }
    std::uint32_t operator[](std::size_t k) const { return sums[k] + base; }

    std::span<const std::uint32_t> sums;
    std::uint32_t base = 0;
};

// A term without "*": the number of distinct positions that every list holds.
// scratch is working space, kept between calls to spare allocations.
std::uint32_t CountCommonPositions(std::span<const AlignedList> lists, std::vector<std::uint32_t>& scratch);

// A term of two characters in two segments (A*B, also A*?*B): the forward
// scan over the pair, a place wherever B ends 0 .. 300 positions after A.
std::uint32_t CountGapPairPlaces(const AlignedList& first, const AlignedList& second);

} // namespace vesk
