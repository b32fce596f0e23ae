#pragma once
// Page searches over position lists that lie whole inside their blocks, read
// straight from the bytes: a phrase (a term without "*" over distinct keys)
// and a pair of characters with "*" between them. Each makes exactly the
// passes and reads of the page search in page_search.h for such a term, in
// the same order, so it finds the same places and meets damage at the same
// number; only the reading is cheaper: no block or stream checks per byte,
// one bound per list.
//
// Inside one block the only damage a list can hold is a number running past
// its end (or a list without numbers). A search then names the list and
// leaves it at the first byte of that number, so that the caller can let the
// checked reading fail there.
#include "engine/term_search.h"

#include <cstdint>
#include <span>

namespace vesk {

// One cursor's position list on the page: the bytes still to read.
struct ListInBlock {
    const std::uint8_t* at = nullptr;
    const std::uint8_t* end = nullptr;

    bool HasMore() const { return at != end; }

    // Reads the next number (at < end); false, with nothing moved, when it
    // runs past the end of the list.
    bool Read(std::uint32_t& value)
    {
        const std::uint32_t b0 = at[0];
        if (b0 < 0x80) {
            value = b0;
            at += 1;
            return true;
        }
        const auto left = end - at;
        if (b0 < 0xC0) {
            if (left < 2)
                return false;
            value = (b0 & 0x3F) << 8 | at[1];
            at += 2;
            return true;
        }
        if (left < 3)
            return false;
        value = (b0 & 0x3F) << 16 | std::uint32_t{at[1]} << 8 | at[2];
        at += 3;
        return true;
    }

    // True when no position read from the rest of the list can pass
    // 2^32 - 1, whatever its bytes: 3069 bytes hold numbers summing to at
    // most 1023 * 0x3FFFFF (the largest number per byte), and a start below
    // 0x3FFFFF + 1024 (a first number and a base of term positions) keeps
    // the sum below 2^32 - 1.
    static constexpr std::size_t kNoOverflowBytes = 3069;
    bool CannotOverflow() const { return static_cast<std::size_t>(end - at) <= kNoOverflowBytes; }
};

struct InBlockResult {
    std::uint32_t places = 0;
    bool damaged = false;
    std::size_t failed = 0; // the list whose read failed (when damaged)
};

namespace lists_in_block {

// Reads list on until its aligned position reaches goal. False when the
// list ends first (the page is done) or a position would pass 2^32 - 1
// (nothing more can be found); damaged tells a read that failed. Without
// checkOverflow the caller knows no position can pass 2^32 - 1.
template <bool checkOverflow>
inline bool ReachGoal(ListInBlock& list, std::uint32_t& at, std::uint32_t goal, bool& damaged)
{
    while (at < goal) {
        if (!list.HasMore())
            return false;
        std::uint32_t delta = 0;
        if (!list.Read(delta)) {
            damaged = true;
            return false;
        }
        if (checkOverflow && at > UINT32_MAX - delta)
            return false;
        at += delta;
    }
    return true;
}

template <bool checkOverflow>
inline void SearchPairPhrase(ListInBlock& first, ListInBlock& second, std::uint32_t a, std::uint32_t b,
                             InBlockResult& result)
{
    for (;;) {
        std::uint32_t goal = a > b ? a : b;
        if (a == b) {
            ++result.places;
            if (checkOverflow && goal == UINT32_MAX)
                return;
            goal += 1;
        }
        if (!ReachGoal<checkOverflow>(first, a, goal, result.damaged)) {
            result.failed = 0;
            return;
        }
        if (!ReachGoal<checkOverflow>(second, b, goal, result.damaged)) {
            result.failed = 1;
            return;
        }
    }
}

// Reads list's first number into aligned (which holds the base); false when
// the list has none or it runs past the list's end.
inline bool ReadFirst(ListInBlock& list, std::uint32_t& aligned)
{
    std::uint32_t first = 0;
    if (!list.HasMore() || !list.Read(first))
        return false;
    aligned += first;
    return true;
}

} // namespace lists_in_block

// The places of the phrase on the page. bases[i] is the number of term
// positions after cursor i's character (the base its positions are added
// to); aligned is working space of the same size.
inline InBlockResult SearchPhraseInBlock(std::span<ListInBlock> lists, std::span<const std::uint32_t> bases,
                                         std::span<std::uint32_t> aligned)
{
    using lists_in_block::ReachGoal;
    InBlockResult result;
    const std::size_t n = lists.size();
    for (std::size_t i = 0; i < n; ++i) {
        aligned[i] = bases[i];
        if (!lists_in_block::ReadFirst(lists[i], aligned[i])) {
            result.damaged = true;
            result.failed = i;
            return result;
        }
    }
    if (n == 2) {
        // The commonest phrase, two characters, with both positions in registers.
        if (lists[0].CannotOverflow() && lists[1].CannotOverflow())
            lists_in_block::SearchPairPhrase<false>(lists[0], lists[1], aligned[0], aligned[1], result);
        else
            lists_in_block::SearchPairPhrase<true>(lists[0], lists[1], aligned[0], aligned[1], result);
        return result;
    }
    for (;;) {
        std::uint32_t goal = aligned[0];
        std::uint32_t least = goal;
        for (std::size_t i = 1; i < n; ++i) {
            goal = aligned[i] > goal ? aligned[i] : goal;
            least = aligned[i] < least ? aligned[i] : least;
        }
        if (least == goal) {
            ++result.places;
            if (goal == UINT32_MAX)
                return result;
            goal += 1;
        }
        for (std::size_t i = 0; i < n; ++i) {
            if (!ReachGoal<true>(lists[i], aligned[i], goal, result.damaged)) {
                result.failed = i;
                return result;
            }
        }
    }
}

// A pair of characters with "*" between them (A*B, also A*?*B): a place
// wherever B ends 0 .. 300 positions after A. The passes of the page search
// for two cursors in two segments: B ending before A: B reads one number;
// B more than 300 after A: A reads one; otherwise a place, A reads one and
// then B, if it stood on A. The page is done when a list that must be read
// has nothing left. baseA and baseB are the cursors' bases.
inline InBlockResult CountGapPairInBlock(ListInBlock& first, ListInBlock& second, std::uint32_t baseA,
                                         std::uint32_t baseB)
{
    InBlockResult result;
    std::uint32_t a = baseA, b = baseB;
    if (!lists_in_block::ReadFirst(first, a)) {
        result.damaged = true;
        result.failed = 0;
        return result;
    }
    if (!lists_in_block::ReadFirst(second, b)) {
        result.damaged = true;
        result.failed = 1;
        return result;
    }
    // Reads one number of list into value; false when the page is done.
    const auto step = [&result](ListInBlock& list, std::uint32_t& value, std::size_t index) {
        if (!list.HasMore())
            return false;
        std::uint32_t delta = 0;
        if (!list.Read(delta)) {
            result.damaged = true;
            result.failed = index;
            return false;
        }
        if (value > UINT32_MAX - delta)
            return false;
        value += delta;
        return true;
    };
    // The same reads in the same order, arranged so that the only branch
    // that depends on the data is the one that reads B on: B reads on while
    // it ends before A (after a place where B stood on A, it does so right
    // after A's next read), then A's position is a place or not, and A reads
    // one.
    for (;;) {
        while (b < a)
            if (!step(second, b, 1))
                return result;
        const bool place = b - a <= kMaxGap;
        result.places += place ? 1 : 0;
        if (place && a == UINT32_MAX)
            return result;
        if (!step(first, a, 0))
            return result;
    }
}

} // namespace vesk
