#pragma once
// Terms of two cursors (a phrase of two characters, "?" between or around
// them allowed, and a pair with "*" between) counted on a page from their
// position lists decoded beforehand, when the lists are sound: every number
// whole, the positions ascending strictly, and no aligned position near
// 2^32 - 1. Over such lists the forward scan of the page search finds a set
// property of the positions, which is counted here with few branches that
// depend on the data (the scan's reads mispredict often: a frequent
// character's positions lie about a hundred apart, so one- and two-byte
// numbers alternate at random):
//   - a phrase: the aligned positions the two lists share;
//   - A*B: the positions a of A for which the first position of B at or
//     after a lies at most 300 beyond it (when B runs out, no later a can
//     have one).
// When both cursors stand on one key, both lists are the one list s[0] <
// s[1] < ..., and the second character stands d term positions after the
// first: a phrase counts the s[i] for which s[i] + d is a position too, and
// A*A the s[i] whose first position at or after s[i] + d lies at most 300
// beyond that.
// Lists that are not sound are left to the page search, which reads them
// as the scan does and meets their damage where it lies.
#include "engine/term_search.h"

#include <cstdint>
#include <span>
#include <vector>

namespace vesk::sound_lists {

// Decodes a list read straight from its block, bytes [at, end), into sums
// (resized to fit; it keeps its room) as running sums and sets count. True
// only for a sound list: at least one number, every number whole, each after
// the first at least 1, and the last sum plus headroom below 2^32 - 1.
inline bool DecodeSound(const std::uint8_t* at, const std::uint8_t* end, std::uint32_t headroom,
                        std::vector<std::uint32_t>& sums, std::uint32_t& count)
{
    const auto bytes = static_cast<std::size_t>(end - at);
    if (sums.size() < bytes)
        sums.resize(bytes);
    std::uint32_t* out = sums.data();
    count = 0;
    std::uint64_t sum = 0;
    bool repeated = false;
    // The positions of a frequent character lie about a hundred apart, so one
    // and two bytes long numbers alternate at random: while three bytes are
    // left, a number's length and value are chosen without a branch.
    while (end - at >= 3) {
        const std::uint32_t b0 = at[0], b1 = at[1], b2 = at[2];
        const std::uint32_t two = (b0 & 0x3F) << 8 | b1;
        const std::uint32_t three = (b0 & 0x3F) << 16 | b1 << 8 | b2;
        const std::uint32_t long2 = (b0 + 0x80) >> 8; // 1 from 0x80 on
        const std::uint32_t long3 = (b0 + 0x40) >> 8; // 1 from 0xC0 on
        const std::uint32_t value = (b0 & (long2 - 1)) | (two & ((long3 - 1) & (0u - long2))) | (three & (0u - long3));
        at += 1 + long2 + long3;
        repeated |= value == 0 && count > 0;
        sum += value;
        out[count++] = static_cast<std::uint32_t>(sum);
    }
    while (at < end) {
        const std::uint32_t b0 = at[0];
        std::uint32_t value = b0;
        if (b0 < 0x80) {
            at += 1;
        } else if (b0 < 0xC0) {
            if (end - at < 2)
                return false;
            value = (b0 & 0x3F) << 8 | at[1];
            at += 2;
        } else {
            if (end - at < 3)
                return false;
            value = (b0 & 0x3F) << 16 | std::uint32_t{at[1]} << 8 | at[2];
            at += 3;
        }
        repeated |= value == 0 && count > 0;
        sum += value;
        out[count++] = static_cast<std::uint32_t>(sum);
    }
    return count > 0 && !repeated && sum + headroom < UINT32_MAX;
}

// The largest distance CountPhrase takes: the position s + d lies at most d
// entries after s, so each position is compared with that many.
inline constexpr std::uint32_t kMaxPhraseDistance = 8;

// A phrase over one key: the positions s for which s + d (1 <= d <=
// kMaxPhraseDistance) is a position too.
inline std::uint32_t CountOneKeyPhrase(std::span<const std::uint32_t> s, std::uint32_t d)
{
    const std::size_t n = s.size();
    std::uint32_t places = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint32_t want = s[i] + d;
        const std::size_t last = i + d < n - 1 ? i + d : n - 1;
        bool found = false;
        for (std::size_t j = i + 1; j <= last; ++j)
            found |= s[j] == want;
        places += found ? 1 : 0;
    }
    return places;
}

// A pair with "*" between over one key (g >= 1): the positions s for which
// the first position at or after s + g lies at most kMaxGap beyond it.
inline std::uint32_t CountOneKeyGapPair(std::span<const std::uint32_t> s, std::uint32_t g)
{
    const std::size_t n = s.size();
    std::uint32_t places = 0;
    std::size_t j = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint32_t from = s[i] + g;
        if (j <= i)
            j = i + 1;
        while (j < n && s[j] < from)
            ++j;
        if (j == n)
            break; // no later position can have one either
        places += s[j] - from <= kMaxGap ? 1 : 0;
    }
    return places;
}

// A phrase over two keys: the aligned positions (a + aBase, b + bBase)
// the lists share. Each step moves on the list with the smaller position, or
// both on a match, chosen without a branch.
inline std::uint32_t CountPhrase(std::span<const std::uint32_t> a, std::uint32_t aBase,
                                 std::span<const std::uint32_t> b, std::uint32_t bBase)
{
    std::uint32_t places = 0;
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        // The signs of the two differences, as numbers: the compiler keeps
        // comparisons written as such in branches.
        const std::int64_t x = a[i] + aBase, y = b[j] + bBase;
        const auto below = static_cast<std::uint64_t>(x - y) >> 63; // x < y
        const auto above = static_cast<std::uint64_t>(y - x) >> 63; // x > y
        places += static_cast<std::uint32_t>(1 - below - above);
        i += 1 - above;
        j += 1 - below;
    }
    return places;
}

// A*B over two keys: the aligned positions x of A (a + aBase) for which the
// first aligned position y of B (b + bBase) at or after x lies at most
// kMaxGap beyond it. Each step either moves B on (y before x) or judges x and
// moves A on, chosen without a branch.
inline std::uint32_t CountGapPair(std::span<const std::uint32_t> a, std::uint32_t aBase,
                                  std::span<const std::uint32_t> b, std::uint32_t bBase)
{
    std::uint32_t places = 0;
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        // As numbers, not comparisons, for the same reason as in CountPhrase.
        const std::int64_t x = a[i] + aBase, y = b[j] + bBase;
        const auto before = static_cast<std::uint64_t>(y - x) >> 63;            // y < x
        const auto near = static_cast<std::uint64_t>(y - x - kMaxGap - 1) >> 63; // y - x <= kMaxGap
        places += static_cast<std::uint32_t>((1 - before) & near);
        j += before;
        i += 1 - before;
    }
    return places;
}

} // namespace vesk::sound_lists
