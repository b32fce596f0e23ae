#include "engine/page_lists.h"

#include "engine/term_search.h"

#include <algorithm>

namespace vesk {

AlignedList::AlignedList(std::span<const std::uint32_t> listSums, std::uint32_t listBase)
    : sums(listSums), base(listBase)
{
    if (!sums.empty() && sums.back() > UINT32_MAX - base) {
        const auto end = std::upper_bound(sums.begin(), sums.end(), UINT32_MAX - base);
        sums = sums.first(static_cast<std::size_t>(end - sums.begin()));
    }
}

namespace {

std::uint32_t CountCommonOfTwo(const AlignedList& a, const AlignedList& b)
{
    std::uint32_t places = 0;
    bool any = false;
    std::uint32_t last = 0;
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const std::uint32_t x = a[i], y = b[j];
        if (x < y) {
            ++i;
        } else if (y < x) {
            ++j;
        } else {
            places += (!any || x != last) ? 1 : 0;
            any = true;
            last = x;
            ++i;
            ++j;
        }
    }
    return places;
}

} // namespace

// The forward scan over lists of one segment reaches every common position
// and stops once a list has nothing left at or after its goal, beyond which
// nothing is common; each place moves the goal one on, so equal positions in
// a list count once. Filtering the shortest list through the others finds
// the same positions.
std::uint32_t CountCommonPositions(std::span<const AlignedList> lists, std::vector<std::uint32_t>& scratch)
{
    if (lists.size() == 2)
        return CountCommonOfTwo(lists[0], lists[1]);
    std::size_t shortest = 0;
    for (std::size_t i = 1; i < lists.size(); ++i)
        if (lists[i].size() < lists[shortest].size())
            shortest = i;
    scratch.resize(lists[shortest].size());
    for (std::size_t k = 0; k < scratch.size(); ++k)
        scratch[k] = lists[shortest][k];
    for (std::size_t i = 0; i < lists.size() && !scratch.empty(); ++i) {
        if (i == shortest)
            continue;
        const AlignedList& list = lists[i];
        std::size_t kept = 0, at = 0;
        for (const std::uint32_t value : scratch) {
            while (at < list.size() && list[at] < value)
                ++at;
            if (at == list.size())
                break;
            scratch[kept] = value;
            kept += list[at] == value ? 1 : 0;
        }
        scratch.resize(kept);
    }
    std::uint32_t places = 0;
    for (std::size_t k = 0; k < scratch.size(); ++k)
        places += (k == 0 || scratch[k] != scratch[k - 1]) ? 1 : 0;
    return places;
}

// With one cursor in each of two segments, every pass of the page search
// fails (if at all) at the gap between them, so the failing segment is always
// the first, all cursors may step and the gap flag changes nothing. A pass:
// B ending before A ends: the goal is A, B steps; B more than 300 after A:
// the goal is B, A steps; otherwise a place, the goal is A + 1, A steps and B
// too if it stood on A. The page is done when a cursor that must step has no
// position left.
std::uint32_t CountGapPairPlaces(const AlignedList& first, const AlignedList& second)
{
    std::uint32_t places = 0;
    if (first.size() == 0 || second.size() == 0)
        return places; // cannot happen for lists that read cleanly; never read past them
    std::size_t i = 0, j = 0;
    for (;;) {
        const std::uint32_t a = first[i];
        std::uint32_t b = second[j];
        if (b < a) {
            // Passes with the same goal: B steps until it reaches A.
            while (b < a) {
                if (++j == second.size())
                    return places;
                b = second[j];
            }
            continue;
        }
        if (b - a > kMaxGap) {
            if (++i == first.size())
                return places;
            continue;
        }
        ++places;
        if (a == UINT32_MAX || ++i == first.size())
            return places;
        if (b == a && ++j == second.size())
            return places;
    }
}

} // namespace vesk
