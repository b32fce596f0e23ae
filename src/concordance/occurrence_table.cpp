#include "concordance/occurrence_table.h"

#include "concordance/plain_text.h"

#include <algorithm>
#include <limits>
#include <numeric>

namespace vesk {

void OccurrenceTable::Append(std::span<const Occurrence> occurrences, std::uint32_t record)
{
    constexpr std::size_t kMaxContextBytes = std::numeric_limits<std::uint16_t>::max();
    for (const Occurrence& occurrence : occurrences) {
        // A context holds at most kMaxContextChars code points (400 bytes);
        // the cut guards the field sizes all the same.
        const std::string_view left = std::string_view(occurrence.left).substr(
            occurrence.left.size() - std::min(occurrence.left.size(), kMaxContextBytes));
        const std::string_view right = std::string_view(occurrence.right).substr(0, kMaxContextBytes);
        const std::string_view match =
            std::string_view(occurrence.match).substr(0, std::numeric_limits<std::uint32_t>::max());
        OccurrenceRow row;
        row.pageId = occurrence.pageId;
        row.record = record;
        row.anchor = occurrence.anchor;
        row.textOffset = m_text.size();
        row.leftBytes = static_cast<std::uint16_t>(left.size());
        row.matchBytes = static_cast<std::uint32_t>(match.size());
        row.rightBytes = static_cast<std::uint16_t>(right.size());
        row.layer = static_cast<std::uint8_t>(occurrence.layer);
        m_text.append(left);
        m_text.append(match);
        m_text.append(right);
        m_rows.push_back(row);
    }
}

void OccurrenceTable::Clear()
{
    m_rows.clear();
    m_text.clear();
}

std::string_view OccurrenceTable::Left(const OccurrenceRow& row) const
{
    return std::string_view(m_text).substr(row.textOffset, row.leftBytes);
}

std::string_view OccurrenceTable::Match(const OccurrenceRow& row) const
{
    return std::string_view(m_text).substr(row.textOffset + row.leftBytes, row.matchBytes);
}

std::string_view OccurrenceTable::Right(const OccurrenceRow& row) const
{
    return std::string_view(m_text).substr(row.textOffset + row.leftBytes + row.matchBytes,
                                           row.rightBytes);
}

std::vector<std::uint32_t> OccurrenceTable::Ordered(OccurrenceOrder order) const
{
    std::vector<std::uint32_t> rows(m_rows.size());
    std::iota(rows.begin(), rows.end(), std::uint32_t{0});
    if (order == OccurrenceOrder::Right) {
        // UTF-8 byte order is code point order.
        std::stable_sort(rows.begin(), rows.end(), [&](std::uint32_t a, std::uint32_t b) {
            return Right(m_rows[a]) < Right(m_rows[b]);
        });
    } else if (order == OccurrenceOrder::Left) {
        std::stable_sort(rows.begin(), rows.end(), [&](std::uint32_t a, std::uint32_t b) {
            return CompareBackwards(Left(m_rows[a]), Left(m_rows[b])) < 0;
        });
    }
    return rows;
}

std::size_t OccurrenceTable::MemoryBytes() const
{
    return m_rows.capacity() * sizeof(OccurrenceRow) + m_text.capacity();
}

int CompareBackwards(std::string_view a, std::string_view b)
{
    std::size_t endA = a.size();
    std::size_t endB = b.size();
    while (endA > 0 && endB > 0) {
        const std::size_t startA = CodePointsBack(a, endA, 1);
        const std::size_t startB = CodePointsBack(b, endB, 1);
        // One code point each: their UTF-8 bytes compare as the code points do.
        const int c = a.substr(startA, endA - startA).compare(b.substr(startB, endB - startB));
        if (c != 0)
            return c < 0 ? -1 : 1;
        endA = startA;
        endB = startB;
    }
    if (endA == endB)
        return 0;
    return endA == 0 ? -1 : 1;
}

} // namespace vesk
