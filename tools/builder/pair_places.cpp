#include "builder/pair_places.h"

#include "builder/varint.h"
#include "textstore/code_converter.h"

#include <algorithm>
#include <array>

namespace vesk::build {
namespace {

// A place's sort key: layer, first key and second key (17 bits each), then
// the place's index in the buffer, which stands for its page and position
// since a layer's places arrive in that order. Keys are unique.
constexpr unsigned kKeyBits = 17;
constexpr std::uint64_t kKeyMask = (std::uint64_t{1} << kKeyBits) - 1;
constexpr unsigned kIndexBits = 28;
constexpr std::uint64_t kIndexMask = (std::uint64_t{1} << kIndexBits) - 1;
static_assert(kCharacterSlots <= (1 << kKeyBits));
static_assert(2 + 2 * kKeyBits + kIndexBits <= 64);

// Below this many values a range is left to std::sort.
constexpr std::size_t kSmallRange = 64;

// Sorts [begin, end) in place by the bytes at shift and below, most
// significant first (American flag sort: one counting pass and one
// cycle-leader pass a byte, 256 bucket heads that stay in the caches).
void RadixSort(PairPlace* begin, PairPlace* end, int shift)
{
    while (static_cast<std::size_t>(end - begin) > kSmallRange) {
        std::array<std::size_t, 257> start{};
        for (const PairPlace* p = begin; p != end; ++p)
            ++start[((p->key >> shift) & 0xFF) + 1];
        for (std::size_t b = 1; b < start.size(); ++b)
            start[b] += start[b - 1];
        const auto n = static_cast<std::size_t>(end - begin);
        std::size_t only = 256; // the bucket that holds every value, if one does
        for (std::size_t b = 0; b < 256 && only == 256; ++b)
            if (start[b + 1] - start[b] == n)
                only = b;
        if (only == 256) {
            std::array<std::size_t, 256> head;
            std::copy(start.begin(), start.end() - 1, head.begin());
            for (std::size_t b = 0; b < 256; ++b) {
                while (head[b] < start[b + 1]) {
                    PairPlace v = begin[head[b]];
                    for (std::size_t to = (v.key >> shift) & 0xFF; to != b; to = (v.key >> shift) & 0xFF)
                        std::swap(v, begin[head[to]++]);
                    begin[head[b]++] = v;
                }
            }
        }
        if (shift == 0)
            return;
        if (only != 256) {
            shift = std::max(shift - 8, 0);
            continue;
        }
        for (std::size_t b = 0; b < 256; ++b)
            RadixSort(begin + start[b], begin + start[b + 1], std::max(shift - 8, 0));
        return;
    }
    std::sort(begin, end, [](const PairPlace& a, const PairPlace& b) { return a.key < b.key; });
}

} // namespace

PairPlaces::PairPlaces(std::uint32_t layers, std::uint64_t budget, SpillFolder& folder)
    : m_capacity(static_cast<std::size_t>(
          std::clamp<std::uint64_t>(budget / kPairPlaceBytes, 1, std::uint64_t{1} << (kIndexBits - 1)))),
      m_folder(folder), m_runs(layers)
{
}

bool PairPlaces::AddPage(std::uint32_t layer, std::uint32_t pageId, std::span<const KeyPosition> positions,
                         std::string& error)
{
    std::size_t pairs = 0;
    for (std::size_t i = 0; i + 1 < positions.size(); ++i)
        pairs += positions[i + 1].position == positions[i].position + 1;
    if (pairs == 0)
        return true;
    if (!m_held.empty() && m_held.size() + pairs > m_capacity && !Spill(error))
        return false;
    if (pairs > kIndexMask - m_held.size()) {
        error = "a page has too many characters for its pairs to be indexed";
        return false;
    }
    if (m_held.capacity() == 0)
        m_held.reserve(std::max(m_capacity, pairs));
    const std::uint64_t layerBits = std::uint64_t{layer} << (2 * kKeyBits + kIndexBits);
    const std::uint64_t page = std::uint64_t{pageId} << 32;
    for (std::size_t i = 0; i + 1 < positions.size(); ++i) {
        if (positions[i + 1].position != positions[i].position + 1)
            continue;
        const std::uint64_t pair = std::uint64_t{positions[i].key} << kKeyBits | positions[i + 1].key;
        m_held.push_back({layerBits | pair << kIndexBits | m_held.size(), page | positions[i].position});
    }
    return true;
}

bool PairPlaces::Spill(std::string& error)
{
    RadixSort(m_held.data(), m_held.data() + m_held.size(), 56);
    const auto keyOf = [](const PairPlace& place) { return place.key >> kIndexBits; };
    const auto placeOf = [](const PairPlace& place) { return place.at; };
    std::size_t at = 0;
    while (at < m_held.size()) {
        const auto layer = static_cast<std::uint32_t>(keyOf(m_held[at]) >> (2 * kKeyBits));
        PairRunWriter run;
        if (!run.Create(m_folder, error))
            return false;
        for (; at < m_held.size() && (keyOf(m_held[at]) >> (2 * kKeyBits)) == layer;) {
            const std::uint64_t key = keyOf(m_held[at]);
            run.BeginPair((key >> kKeyBits & kKeyMask) << 32 | (key & kKeyMask));
            while (at < m_held.size() && keyOf(m_held[at]) == key) {
                const std::uint64_t page = placeOf(m_held[at]) >> 32;
                m_list.clear();
                std::uint32_t previous = 0;
                for (; at < m_held.size() && keyOf(m_held[at]) == key && (placeOf(m_held[at]) >> 32) == page;
                     ++at) {
                    const auto position = static_cast<std::uint32_t>(placeOf(m_held[at]));
                    AppendVarint(m_list, position - previous); // positions are at most kMaxVarint
                    previous = position;
                }
                run.AddRecord(static_cast<std::uint32_t>(page), m_list);
            }
            if (!run.EndPair(error))
                return false;
        }
        m_runs[layer].emplace_back();
        if (!run.Finish(m_runs[layer].back(), error))
            return false;
    }
    m_held.clear();
    return true;
}

bool PairPlaces::Finish(std::string& error)
{
    const bool ok = m_held.empty() || Spill(error);
    m_held = {};
    return ok;
}

std::size_t PairPlaces::spilledRuns() const
{
    std::size_t runs = 0;
    for (const std::vector<PairRun>& layer : m_runs)
        runs += layer.size();
    return runs;
}

} // namespace vesk::build
