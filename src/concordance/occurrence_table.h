#pragma once
// Occurrences kept for showing and sorting: one small row each, their texts
// side by side in one buffer. A row takes sizeof(OccurrenceRow) bytes, its
// texts their UTF-8 bytes (about 60 for a two-character match with ten
// characters a side), and each sorted order four bytes more.
#include "concordance/occurrences.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vesk {

struct OccurrenceRow {
    std::uint32_t pageId = 0;
    std::uint32_t record = 0; // the caller's number for the page's result record
    std::int32_t anchor = 0;
    std::uint64_t textOffset = 0; // left, match and right follow each other there
    std::uint32_t matchBytes = 0;
    std::uint16_t leftBytes = 0;
    std::uint16_t rightBytes = 0;
    std::uint8_t layer = 0;
};

// The orders a concordance is read in. Page: the order rows were added
// (result order, then anchor). Right: by the text after the match. Left: by
// the text before it read backwards, from the match outwards. Both compare
// code point by code point and break ties by page order.
enum class OccurrenceOrder { Page, Right, Left };

class OccurrenceTable {
public:
    // Adds occurrences in page order; record is kept with each.
    void Append(std::span<const Occurrence> occurrences, std::uint32_t record);
    void Clear();

    std::size_t Size() const { return m_rows.size(); }
    const OccurrenceRow& Row(std::size_t i) const { return m_rows[i]; }
    std::string_view Left(const OccurrenceRow& row) const;
    std::string_view Match(const OccurrenceRow& row) const;
    std::string_view Right(const OccurrenceRow& row) const;

    // Row numbers in order (a permutation of 0 .. Size() - 1).
    std::vector<std::uint32_t> Ordered(OccurrenceOrder order) const;

    // Bytes held: rows and texts (capacity, not size, as that is what is taken).
    std::size_t MemoryBytes() const;

private:
    std::vector<OccurrenceRow> m_rows;
    std::string m_text;
};

// Compares a and b from their ends backwards, code point by code point.
int CompareBackwards(std::string_view a, std::string_view b);

} // namespace vesk
