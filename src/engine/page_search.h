#pragma once
// The page search of one term on one page on which all its cursors stand:
// the places found by the forward scan, each moving the goal one position on.
//
// The positions come from a source with two operations, so that the same
// procedure runs over the posting stream read number by number and over
// position lists decoded beforehand:
//   bool HasMore(i)          -- cursor i's list has a number left to read
//   bool Read(i, value)      -- reads cursor i's next number; false when the
//                               stream is damaged there
// aligned[i] of a cursor is the position at which the whole term would end if
// its character stood at its place in the term.
#include "engine/term_search.h"

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

namespace vesk {

enum class PageEnd { UsedUp, Damaged };

namespace page_search {

inline std::uint32_t LargestAligned(std::span<const std::uint32_t> aligned, std::uint32_t endCursor)
{
    std::uint32_t largest = aligned[0];
    for (std::uint32_t i = 1; i < endCursor; ++i)
        largest = std::max(largest, aligned[i]);
    return largest;
}

// Counts a place on page: the first appends the page, the next raise its count.
inline void CountPlace(std::uint32_t page, std::uint32_t& count, std::vector<std::uint32_t>& pages,
                       std::vector<std::uint32_t>& counts)
{
    if (count == 0) {
        pages.push_back(page);
        counts.push_back(1);
        count = 1;
    } else {
        counts.back() = ++count;
    }
}

} // namespace page_search

// A term with "*": segments tested for their phrases and the gaps between
// them. gap is the gap flag, kept from pass to pass and page to page.
template <class Positions>
PageEnd SearchSegmentsPage(Positions& positions, std::span<const TermSegment> segments,
                           std::span<std::uint32_t> aligned, bool& gap, std::uint32_t page,
                           std::vector<std::uint32_t>& pages, std::vector<std::uint32_t>& counts)
{
    using page_search::LargestAligned;
    const auto cursorCount = static_cast<std::uint32_t>(aligned.size());
    std::uint32_t count = 0;
    for (;;) {
        bool ok = true;
        std::size_t failing = 0;
        std::uint32_t goal = LargestAligned(aligned, segments[0].end);
        // Phrase test: the cursors of a segment stand at their distances in the term.
        for (std::size_t s = 0; s < segments.size() && ok; ++s) {
            for (std::uint32_t i = segments[s].begin + 1; i < segments[s].end; ++i) {
                if (aligned[i] != aligned[i - 1]) {
                    ok = false;
                    failing = s;
                    goal = LargestAligned(aligned, segments[s].end);
                    break;
                }
            }
        }
        // Gap test: each segment begins after the previous one and at most 300 later.
        if (ok) {
            for (std::size_t f = 0; f + 1 < segments.size(); ++f) {
                const std::uint32_t a = aligned[segments[f].end - 1];
                const std::uint32_t b = aligned[segments[f + 1].begin];
                gap = false;
                if (b < a) {
                    ok = false;
                    failing = f;
                    goal = LargestAligned(aligned, segments[f].end);
                    break;
                }
                if (b - a > kMaxGap) {
                    gap = true;
                    ok = false;
                    failing = f;
                    goal = LargestAligned(aligned, cursorCount);
                    break;
                }
            }
        }
        if (ok) {
            page_search::CountPlace(page, count, pages, counts);
            if (goal == UINT32_MAX)
                return PageEnd::UsedUp; // no position can lie beyond it
            goal += 1;
        }
        // Step the cursors that lag behind the goal.
        const std::uint32_t first = (gap || failing == 0) ? 0 : segments[failing].begin;
        bool moved = false;
        for (std::uint32_t i = first; i < cursorCount; ++i) {
            if (aligned[i] >= goal)
                continue;
            if (!positions.HasMore(i))
                return PageEnd::UsedUp;
            std::uint32_t delta = 0;
            if (!positions.Read(i, delta))
                return PageEnd::Damaged;
            if (aligned[i] > UINT32_MAX - delta)
                return PageEnd::UsedUp; // positions beyond any page: nothing more to find
            aligned[i] += delta;
            moved = true;
        }
        if (!moved)
            return PageEnd::UsedUp;
    }
}

// A term without "*": one segment, so there is no gap test (and the gap flag
// stays clear). Each pass: the goal is the largest aligned value; all cursors
// equal is a place, which moves the goal one on; every cursor below the goal
// reads its next position. A cursor still below the goal after one read would
// be below the next pass's goal too (that goal is at least this one) and no
// place can be found while it lags, so it reads on until it reaches the goal:
// the same places, with fewer passes.
template <class Positions>
PageEnd SearchPhrasePage(Positions& positions, std::span<std::uint32_t> aligned, std::uint32_t page,
                         std::vector<std::uint32_t>& pages, std::vector<std::uint32_t>& counts)
{
    const std::size_t n = aligned.size();
    std::uint32_t count = 0;
    for (;;) {
        std::uint32_t goal = aligned[0];
        std::uint32_t least = goal;
        for (std::size_t i = 1; i < n; ++i) {
            goal = std::max(goal, aligned[i]);
            least = std::min(least, aligned[i]);
        }
        if (least == goal) {
            page_search::CountPlace(page, count, pages, counts);
            if (goal == UINT32_MAX)
                return PageEnd::UsedUp;
            goal += 1;
        }
        for (std::size_t i = 0; i < n; ++i) {
            std::uint32_t at = aligned[i];
            while (at < goal) {
                if (!positions.HasMore(i))
                    return PageEnd::UsedUp;
                std::uint32_t delta = 0;
                if (!positions.Read(i, delta))
                    return PageEnd::Damaged;
                if (at > UINT32_MAX - delta)
                    return PageEnd::UsedUp;
                at += delta;
            }
            aligned[i] = at;
        }
    }
}

} // namespace vesk
