#pragma once
// Skip tables: for one key, the cursor state at every 16th page record of its
// posting stream, so that a cursor lagging far behind the page it must reach
// leaps to the last marked record before that page instead of reading every
// page header on the way.
//
// A table is filled by the searches themselves: a cursor that walks record
// by record from its stream's start (or from a mark) adds the marks of the
// records it reaches beyond the table's end. A search therefore never walks
// a stream for its table alone; the searches after it leap through the part
// walked before. A cursor stops at damage and at the key's last page, so the
// marks cover only records a step-by-step walk reaches, in the state it
// reaches them: a leap never passes a record where that walk would stop.
// Tables are kept until the index closes.
#include "engine/posting_cursor.h"

#include <cstdint>
#include <memory>
#include <span>
#include <unordered_map>
#include <vector>

namespace vesk {

inline constexpr std::uint32_t kSkipStride = 16;
// A cursor looks for a leap once it has walked this many records towards one target.
inline constexpr std::uint32_t kLeapAfter = 16;

class SkipTable {
public:
    // Adds the mark of record number record (0-based in the stream) when it
    // is the next one the table lacks; marks of other records are ignored.
    void Extend(std::uint64_t record, const CursorMark& mark)
    {
        if (record == std::uint64_t{m_marks.size()} * kSkipStride)
            m_marks.push_back(mark);
    }

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

// The skip tables of one open index.
class SkipTables {
public:
    // The key's table (empty when first asked for).
    SkipTable& Find(std::uint32_t key);
    void Clear() { m_tables.clear(); }

private:
    std::unordered_map<std::uint32_t, std::unique_ptr<SkipTable>> m_tables;
};

} // namespace vesk
