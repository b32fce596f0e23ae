#include "builder/pair_places.h"

#include "builder/varint.h"

#include <algorithm>

namespace vesk::build {

PairPlaces::PairPlaces(std::uint32_t layers, std::uint64_t budget, SpillFolder& folder)
    : m_capacity(static_cast<std::size_t>(std::max<std::uint64_t>(budget / kPairPlaceBytes, 1))),
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
    if (m_held.capacity() == 0)
        m_held.reserve(std::max(m_capacity, pairs));
    const std::uint64_t layerBits = std::uint64_t{layer} << 40;
    const std::uint64_t page = std::uint64_t{pageId} << 32;
    for (std::size_t i = 0; i + 1 < positions.size(); ++i)
        if (positions[i + 1].position == positions[i].position + 1)
            m_held.push_back({layerBits | std::uint64_t{positions[i].key} << 20 | positions[i + 1].key,
                              page | positions[i].position});
    return true;
}

bool PairPlaces::Spill(std::string& error)
{
    // In place: no second buffer beside the places.
    std::ranges::sort(m_held, [](const Place& a, const Place& b) {
        return a.key < b.key || (a.key == b.key && a.at < b.at);
    });
    std::size_t at = 0;
    while (at < m_held.size()) {
        const auto layer = static_cast<std::uint32_t>(m_held[at].key >> 40);
        PairRunWriter run;
        if (!run.Create(m_folder, error))
            return false;
        for (; at < m_held.size() && (m_held[at].key >> 40) == layer;) {
            const std::uint64_t key = m_held[at].key;
            run.BeginPair((key >> 20 & 0xFFFFF) << 32 | (key & 0xFFFFF));
            while (at < m_held.size() && m_held[at].key == key) {
                const std::uint64_t page = m_held[at].at >> 32;
                m_list.clear();
                std::uint32_t previous = 0;
                for (; at < m_held.size() && m_held[at].key == key && (m_held[at].at >> 32) == page; ++at) {
                    const auto position = static_cast<std::uint32_t>(m_held[at].at);
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
