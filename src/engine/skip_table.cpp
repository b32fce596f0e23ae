#include "engine/skip_table.h"

#include <algorithm>

namespace vesk {

SkipTable::SkipTable(std::span<const std::uint8_t> data, std::span<const std::uint32_t> links,
                     std::uint32_t firstBlock, std::uint32_t lastPage)
{
    PostingCursor cursor(data, links, firstBlock);
    if (!cursor.ReadPageHeader())
        return;
    for (std::uint64_t record = 0;; ++record) {
        if (record % kSkipStride == 0)
            m_marks.push_back(cursor.Mark());
        if (cursor.Page() == lastPage || !cursor.NextRecord())
            break;
    }
    m_marks.shrink_to_fit();
}

const CursorMark* SkipTable::LastBefore(std::uint32_t target, std::size_t& hint) const
{
    if (hint >= m_marks.size() || m_marks[hint].page >= target)
        return nullptr;
    // Gallop from the hint, then search the last stretch by halves.
    std::size_t low = hint, step = 1;
    while (low + step < m_marks.size() && m_marks[low + step].page < target) {
        low += step;
        step *= 2;
    }
    const std::size_t high = std::min(low + step, m_marks.size());
    const auto first = m_marks.begin() + static_cast<std::ptrdiff_t>(low);
    const auto last = m_marks.begin() + static_cast<std::ptrdiff_t>(high);
    const auto after = std::partition_point(first, last, [target](const CursorMark& m) { return m.page < target; });
    hint = static_cast<std::size_t>(after - m_marks.begin()) - 1;
    return &m_marks[hint];
}

const SkipTable* SkipTables::Find(std::uint32_t key, std::span<const std::uint8_t> data,
                                  std::span<const std::uint32_t> links, std::int32_t firstBlock,
                                  std::uint32_t lastPage)
{
    const auto found = m_tables.find(key);
    if (found != m_tables.end())
        return found->second.get();
    const auto first = static_cast<std::uint32_t>(firstBlock);
    const bool oneBlock = first >= links.size() || std::uint64_t{links[first]} * kPostingBlockSize >= data.size();
    std::unique_ptr<SkipTable> table;
    if (!oneBlock)
        table = std::make_unique<SkipTable>(data, links, first, lastPage);
    return m_tables.emplace(key, std::move(table)).first->second.get();
}

} // namespace vesk
