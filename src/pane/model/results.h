#pragma once
// The search pane's result records: the engine's pages kept inside the scope
// node, named by the contents nodes around them and ordered by page number.
#include "engine/search_result.h"
#include "pane/model/contents_model.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vesk {

inline constexpr std::int32_t kResultsPerListPage = 100;

// Fills results with one record per page (0-based identifier) whose 1-based
// number lies in the scope node's range, and returns the sum of their counts.
// Records are sorted by nPageNo (unsigned), ties by nPageID, so the order is
// reproducible. A null scope keeps nothing. pages and counts are parallel;
// entries beyond the shorter one are ignored.
std::int32_t BuildResults(const ContentsNodeTag* scope, std::span<const std::uint32_t> pages,
                          std::span<const std::uint32_t> counts, std::vector<SearchNodeTag>& results);

// Fills one record for page as BuildResults would with scope (without the
// range test); used for a page taken outside any scope.
SearchNodeTag MakeResultRecord(const ContentsNodeTag& scope, std::uint32_t page, std::uint32_t count);

// Number of list pages of 100 records that n records fill.
std::int32_t ResultPageCount(std::int32_t records);

// "全部で %d 頁で、%d 箇所でした。" (UTF-8).
std::string FormatSummary(std::int32_t records, std::int32_t places);

} // namespace vesk
