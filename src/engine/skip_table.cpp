#include "engine/skip_table.h"

#include <algorithm>

namespace vesk {

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

SkipTable& SkipTables::Find(std::uint32_t key)
{
    std::unique_ptr<SkipTable>& table = m_tables[key];
    if (!table)
        table = std::make_unique<SkipTable>();
    return *table;
}

} // namespace vesk
