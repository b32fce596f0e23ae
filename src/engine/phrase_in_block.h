#pragma once
// The page search of a phrase (a term without "*" over distinct keys) over
// position lists that lie whole inside their blocks, read straight from the
// bytes. It makes exactly the passes and reads of SearchPhrasePage
// (page_search.h) in the same order, so it finds the same places and meets
// damage at the same number; only the reading is cheaper: no block or
// stream checks per byte, one bound per list.
//
// Inside one block the only damage a list can hold is a number running past
// its end (or a list without numbers). The search then names the list and
// leaves it at the first byte of that number, so that the caller can let the
// checked reading fail there.
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
};

struct PhraseInBlockResult {
    std::uint32_t places = 0;
    bool damaged = false;
    std::size_t failed = 0; // the list whose read failed (when damaged)
};

namespace phrase_in_block {

// Reads list on until its aligned position reaches goal. False when the
// list ends first (the page is done) or a position would pass 2^32 - 1
// (nothing more can be found); damaged tells a read that failed.
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
        if (at > UINT32_MAX - delta)
            return false;
        at += delta;
    }
    return true;
}

} // namespace phrase_in_block

// The places of the phrase on the page. aligned[i] holds, on entry, the
// number of term positions after cursor i's character (the base its first
// position is added to); the search uses it as working space.
inline PhraseInBlockResult SearchPhraseInBlock(std::span<ListInBlock> lists, std::span<std::uint32_t> aligned)
{
    using phrase_in_block::ReachGoal;
    PhraseInBlockResult result;
    const std::size_t n = lists.size();
    for (std::size_t i = 0; i < n; ++i) {
        std::uint32_t first = 0;
        if (!lists[i].HasMore() || !lists[i].Read(first)) {
            result.damaged = true;
            result.failed = i;
            return result;
        }
        aligned[i] += first;
    }
    if (n == 2) {
        // The commonest phrase, two characters, with both positions in registers.
        std::uint32_t a = aligned[0], b = aligned[1];
        for (;;) {
            std::uint32_t goal = a > b ? a : b;
            if (a == b) {
                ++result.places;
                if (goal == UINT32_MAX)
                    return result;
                goal += 1;
            }
            if (!ReachGoal(lists[0], a, goal, result.damaged)) {
                result.failed = 0;
                return result;
            }
            if (!ReachGoal(lists[1], b, goal, result.damaged)) {
                result.failed = 1;
                return result;
            }
        }
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
            if (!ReachGoal(lists[i], aligned[i], goal, result.damaged)) {
                result.failed = i;
                return result;
            }
        }
    }
}

} // namespace vesk
