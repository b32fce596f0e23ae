#pragma once
// Skip tables: for one key, the cursor state at every 16th page record of its
// posting stream, so that a cursor lagging far behind the page it must reach
// leaps to the last marked record before that page instead of reading every
// page header on the way.
//
// A table is made by one walk over the stream's page headers, the first time
// a search asks for the key, and kept until the index closes. The walk stops
// at the first damaged record, and after the record whose page is the key's
// last page (where a search stops), so a leap never passes a record that a
// step-by-step walk would have stopped at: the leap lands on a record that
// walk would have reached, in the same state.
#include "engine/posting_cursor.h"

#include <cstdint>
#include <memory>
#include <span>
#include <unordered_map>
#include <vector>

namespace vesk {

inline constexpr std::uint32_t kSkipStride = 16;

class SkipTable {
public:
    SkipTable(std::span<const std::uint8_t> data, std::span<const std::uint32_t> links, std::uint32_t firstBlock,
              std::uint32_t lastPage);

    // The last mark whose page lies below target, or nullptr when there is
    // none. hint is a mark index the answer is known not to lie before; it is
    // updated to the answer's index for the next call of the same cursor.
    const CursorMark* LastBefore(std::uint32_t target, std::size_t& hint) const;

    // The page of the mark after index hint, or UINT32_MAX when none: a cursor
    // whose target does not pass it gains nothing from a leap.
    std::uint32_t NextMarkPage(std::size_t hint) const
    {
        return hint + 1 < m_marks.size() ? m_marks[hint + 1].page : UINT32_MAX;
    }

    std::size_t Size() const { return m_marks.size(); }
private:
    std::vector<CursorMark> m_marks; // ascending pages
};

// The skip tables of one open index, made on first use.
class SkipTables {
public:
    // The key's table, made now if it is the first request; nullptr for a
    // stream of one block (its headers are few and near each other).
    const SkipTable* Find(std::uint32_t key, std::span<const std::uint8_t> data, std::span<const std::uint32_t> links,
                          std::int32_t firstBlock, std::uint32_t lastPage);
    void Clear() { m_tables.clear(); }

private:
    std::unordered_map<std::uint32_t, std::unique_ptr<SkipTable>> m_tables;
};

} // namespace vesk
