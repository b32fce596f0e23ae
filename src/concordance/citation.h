#pragma once
// Naming where a page lies, for copies and exports that carry a reference.
#include "engine/search_result.h"
#include "pane/model/contents_model.h"

#include <cstdint>
#include <string>

namespace vesk {

// The result record of a page named within its own category, as a search
// over all categories names it: empty names and page number 0 for a page
// outside every category.
SearchNodeTag RecordOfPage(const ContentsModel& contents, std::uint32_t pageId);

// The reference line (UTF-8): "出典：CATEGORY／WORK／VOLUME／N頁".
std::string ReferenceLine(const SearchNodeTag& record);

} // namespace vesk
