#include "pane/model/results.h"

#include <algorithm>
#include <cstdio>

namespace vesk {
namespace {

const ContentsNodeTag* FirstChildHolding(const ContentsNodeTag& node, std::uint32_t page)
{
    for (const auto& child : node.children)
        if (child->ContainsPage(page))
            return child.get();
    return nullptr;
}

const ContentsNodeTag* FirstGrandchildHolding(const ContentsNodeTag& node, std::uint32_t page)
{
    for (const auto& child : node.children)
        if (const ContentsNodeTag* found = FirstChildHolding(*child, page))
            return found;
    return nullptr;
}

std::u16string NameOf(const ContentsNodeTag* node)
{
    return node ? node->name : std::u16string();
}

} // namespace

SearchNodeTag MakeResultRecord(const ContentsNodeTag& scope, std::uint32_t page, std::uint32_t count)
{
    const std::uint32_t number = page + 1; // the ranges count pages from 1
    SearchNodeTag record;
    if (scope.level == 1)
        record.strCategory = scope.name;
    else if (scope.level == 2)
        record.strCategory = NameOf(scope.parent);
    else
        record.strCategory = NameOf(scope.parent ? scope.parent->parent : nullptr);

    const ContentsNodeTag* volume = nullptr;
    if (scope.level == 1) {
        record.strTitle = NameOf(FirstChildHolding(scope, number));
        volume = FirstGrandchildHolding(scope, number);
    } else if (scope.level == 2) {
        record.strTitle = scope.name;
        volume = FirstChildHolding(scope, number);
    } else {
        if (scope.level == 3)
            record.strTitle = NameOf(scope.parent);
        volume = &scope;
    }
    if (volume) {
        record.strVolume = volume->name;
        record.nPageNo = page + volume->curFileName + 1 - static_cast<std::uint32_t>(volume->docID);
    }
    record.nPageID = page;
    record.nCount = count;
    return record;
}

std::int32_t BuildResults(const ContentsNodeTag* scope, std::span<const std::uint32_t> pages,
                          std::span<const std::uint32_t> counts, std::vector<SearchNodeTag>& results)
{
    results.clear();
    std::uint32_t places = 0;
    if (!scope)
        return 0;
    const std::size_t n = std::min(pages.size(), counts.size());
    for (std::size_t i = 0; i < n; ++i) {
        if (!scope->ContainsPage(pages[i] + 1))
            continue;
        results.push_back(MakeResultRecord(*scope, pages[i], counts[i]));
        places += counts[i];
    }
    std::sort(results.begin(), results.end(), [](const SearchNodeTag& a, const SearchNodeTag& b) {
        return a.nPageNo != b.nPageNo ? a.nPageNo < b.nPageNo : a.nPageID < b.nPageID;
    });
    return static_cast<std::int32_t>(places);
}

std::int32_t ResultPageCount(std::int32_t records)
{
    if (records <= 0)
        return 0;
    return records / kResultsPerListPage + (records % kResultsPerListPage != 0 ? 1 : 0);
}

std::string FormatSummary(std::int32_t records, std::int32_t places)
{
    char text[128];
    std::snprintf(text, sizeof text, "全部で %d 頁で、%d 箇所でした。", records, places);
    return text;
}

} // namespace vesk
