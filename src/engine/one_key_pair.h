#pragma once
// Terms whose two cursors stand on one key's stream: a character with itself
// at a distance ("?" between, as 不?不) or with "*" between (不*不). On every
// page both cursors read the same position list, so the stream is walked
// once and each page's list read once, decoded, and counted.
//
// Over a sound list of ascending positions s[0] < s[1] < ... (every number
// whole, no position repeated, no aligned position near 2^32 - 1) the forward
// scan of the page search finds, with the second character d term positions
// after the first:
//   - a phrase: the positions s[i] for which s[i] + d is a position too;
//   - a pair with "*" between: the positions s[i] for which the first
//     position at or after s[i] + d lies at most 300 beyond s[i] + d (when
//     there is none, no later position has one either).
// Lists that are not sound are left to the page search, which reads them as
// the scan does and meets their damage where it lies.
#include "engine/term_search.h"

#include <cstdint>
#include <span>
#include <vector>

namespace vesk::one_key_pair {

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
inline std::uint32_t CountPhrase(std::span<const std::uint32_t> s, std::uint32_t d)
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
inline std::uint32_t CountGapPair(std::span<const std::uint32_t> s, std::uint32_t g)
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

} // namespace vesk::one_key_pair
