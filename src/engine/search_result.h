#pragma once
// One search result record of the search pane: a page with hits, named by the
// contents nodes around it.
#include <cstdint>
#include <string>

namespace vesk {

struct SearchNodeTag {
    std::u16string strCategory; // level-1 node of the scope ("類別")
    std::u16string strTitle;    // level-2 node ("書名")
    std::u16string strVolume;   // level-3 node holding the page ("巻"); empty when none
    std::uint32_t nPageID = 0;  // 0-based page identifier
    std::uint32_t nPageNo = 0;  // page number within the volume ("頁"); 0 without a volume
    std::uint32_t nCount = 0;   // places on the page
};

} // namespace vesk
