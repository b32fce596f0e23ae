#include "concordance/citation.h"

#include "pane/model/results.h"
#include "textstore/code_converter.h"

namespace vesk {

SearchNodeTag RecordOfPage(const ContentsModel& contents, std::uint32_t pageId)
{
    for (const auto& category : contents.m_pRootNode->children)
        if (category->ContainsPage(pageId + 1))
            return MakeResultRecord(*category, pageId, 0);
    SearchNodeTag record;
    record.nPageID = pageId;
    return record;
}

std::string ReferenceLine(const SearchNodeTag& record)
{
    std::string line = "出典：";
    Utf16ToUtf8(record.strCategory, line, true);
    line += "／";
    Utf16ToUtf8(record.strTitle, line, true);
    line += "／";
    Utf16ToUtf8(record.strVolume, line, true);
    line += "／" + std::to_string(record.nPageNo) + "頁";
    return line;
}

} // namespace vesk
