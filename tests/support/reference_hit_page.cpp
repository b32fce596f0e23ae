#include "support/reference_hit_page.h"

#include <set>

#include "textstore/code_converter.h"
#include "textstore/hit_page.h"

namespace vesk::testing {

std::int32_t ReferenceHitPage(std::string_view storedPage, std::int64_t pageNumber,
                              std::u16string_view keywords, std::int32_t target, std::string& out)
{
    std::string working(storedPage);
    std::int32_t anchors = 0;
    std::set<std::string> seen;
    for (std::u16string_view keyword : SplitKeywords(keywords)) {
        std::string bytes;
        Utf16ToUtf8(keyword, bytes, true);
        if (!seen.insert(bytes).second)
            continue;
        out.clear();
        AssemblePage(working, out, bytes, TextCellOfPage(pageNumber), target, anchors);
        working = out;
    }
    return anchors;
}

} // namespace vesk::testing
