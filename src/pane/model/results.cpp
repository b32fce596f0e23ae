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

namespace {

// The nodes a category or work scope names its records by, with their page
// ranges in tree order (children, or grandchildren child by child). When the
// ranges ascend without overlapping, the first node holding a page is the
// only one, found by halving; otherwise the nodes are tried in order, as
// MakeResultRecord does.
class RangeFinder {
public:
    void Add(const ContentsNodeTag* node)
    {
        const auto first = static_cast<std::uint32_t>(node->docID);
        const std::uint32_t last = first + static_cast<std::uint32_t>(node->docNo) - 1;
        if (last < first || (!m_nodes.empty() && first <= m_lasts.back()))
            m_bOrdered = false;
        m_nodes.push_back(node);
        m_firsts.push_back(first);
        m_lasts.push_back(last);
    }

    const ContentsNodeTag* Find(std::uint32_t number) const
    {
        if (!m_bOrdered) {
            for (const ContentsNodeTag* node : m_nodes)
                if (node->ContainsPage(number))
                    return node;
            return nullptr;
        }
        const auto after = std::upper_bound(m_firsts.begin(), m_firsts.end(), number);
        if (after == m_firsts.begin())
            return nullptr;
        const auto i = static_cast<std::size_t>(after - m_firsts.begin()) - 1;
        return number <= m_lasts[i] ? m_nodes[i] : nullptr;
    }

private:
    std::vector<const ContentsNodeTag*> m_nodes;
    std::vector<std::uint32_t> m_firsts, m_lasts;
    bool m_bOrdered = true;
};

} // namespace

std::int32_t BuildResults(const ContentsNodeTag* scope, std::span<const std::uint32_t> pages,
                          std::span<const std::uint32_t> counts, std::vector<SearchNodeTag>& results)
{
    results.clear();
    std::uint32_t places = 0;
    if (!scope)
        return 0;
    // A category names the work and the volume of each page, a work the
    // volume: found through the ranges of its nodes, not by trying each.
    RangeFinder titles, volumes;
    if (scope->level == 1) {
        for (const auto& child : scope->children) {
            titles.Add(child.get());
            for (const auto& grandchild : child->children)
                volumes.Add(grandchild.get());
        }
    } else if (scope->level == 2) {
        for (const auto& child : scope->children)
            volumes.Add(child.get());
    }
    // The order first, on small keys; then each record made once, in place.
    struct Kept {
        std::uint32_t pageNo;
        std::uint32_t page;
        std::size_t index;
        const ContentsNodeTag* volume;
    };
    std::vector<Kept> kept;
    const std::size_t n = std::min(pages.size(), counts.size());
    for (std::size_t i = 0; i < n; ++i) {
        if (!scope->ContainsPage(pages[i] + 1))
            continue;
        places += counts[i];
        if (scope->level == 1 || scope->level == 2) {
            const ContentsNodeTag* volume = volumes.Find(pages[i] + 1);
            const std::uint32_t pageNo =
                volume ? pages[i] + volume->curFileName + 1 - static_cast<std::uint32_t>(volume->docID) : 0;
            kept.push_back({pageNo, pages[i], i, volume});
        } else {
            kept.push_back({MakeResultRecord(*scope, pages[i], counts[i]).nPageNo, pages[i], i, nullptr});
        }
    }
    std::sort(kept.begin(), kept.end(), [](const Kept& a, const Kept& b) {
        return a.pageNo != b.pageNo ? a.pageNo < b.pageNo : a.page < b.page;
    });
    results.reserve(kept.size());
    for (const Kept& k : kept) {
        if (scope->level != 1 && scope->level != 2) {
            results.push_back(MakeResultRecord(*scope, k.page, counts[k.index]));
            continue;
        }
        SearchNodeTag& record = results.emplace_back();
        record.strCategory = scope->level == 1 ? scope->name : NameOf(scope->parent);
        record.strTitle = scope->level == 1 ? NameOf(titles.Find(k.page + 1)) : scope->name;
        if (k.volume) {
            record.strVolume = k.volume->name;
            record.nPageNo = k.pageNo;
        }
        record.nPageID = k.page;
        record.nCount = counts[k.index];
    }
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
