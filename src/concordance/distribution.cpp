#include "concordance/distribution.h"

#include "textstore/code_converter.h"

#include <algorithm>
#include <numeric>

namespace vesk {
namespace {

struct PageRange {
    std::uint64_t first = 0;
    std::uint64_t end = 0;
};

PageRange RangeOfNode(const ContentsNodeTag& node)
{
    if (node.docID < 1 || node.docNo < 1)
        return {};
    const auto first = static_cast<std::uint64_t>(node.docID) - 1;
    return {first, first + static_cast<std::uint64_t>(node.docNo)};
}

void Collect(const ContentsNodeTag& node, const DistributionQuery& query, std::vector<DistributionRow>& rows)
{
    if (node.level > query.maxLevel)
        return;
    if (node.level >= 1) {
        DistributionRow row = FiguresOfNode(node, query);
        if (row.pages > 0 || row.marked.value_or(0) > 0)
            rows.push_back(row);
    }
    for (const auto& child : node.children)
        Collect(*child, query, rows);
}

} // namespace

PageTally::PageTally(std::span<const std::uint32_t> pages, std::span<const std::uint32_t> counts)
{
    const std::size_t n = std::min(pages.size(), counts.size());
    std::vector<std::uint32_t> order(n);
    std::iota(order.begin(), order.end(), std::uint32_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) { return pages[a] < pages[b]; });
    m_pages.reserve(n);
    m_prefix.reserve(n + 1);
    for (std::uint32_t i : order) {
        m_pages.push_back(pages[i]);
        m_prefix.push_back(m_prefix.back() + counts[i]);
    }
}

PageTally::Sum PageTally::InRange(std::uint64_t first, std::uint64_t end) const
{
    if (first >= end)
        return {};
    const auto lower = std::lower_bound(m_pages.begin(), m_pages.end(), first,
                                        [](std::uint32_t page, std::uint64_t value) { return page < value; });
    const auto upper = std::lower_bound(lower, m_pages.end(), end,
                                        [](std::uint32_t page, std::uint64_t value) { return page < value; });
    const auto a = static_cast<std::size_t>(lower - m_pages.begin());
    const auto b = static_cast<std::size_t>(upper - m_pages.begin());
    return {b - a, m_prefix[b] - m_prefix[a]};
}

DistributionRow FiguresOfNode(const ContentsNodeTag& node, const DistributionQuery& query)
{
    DistributionRow row;
    row.node = &node;
    const PageRange range = RangeOfNode(node);
    if (query.found) {
        const PageTally::Sum sum = query.found->InRange(range.first, range.end);
        row.pages = sum.pages;
        row.places = sum.count;
    }
    if (query.sizes)
        row.characters = query.sizes->Characters(range.first, range.end, query.target);
    if (query.marked)
        row.marked = query.marked->InRange(range.first, range.end).count;
    return row;
}

std::vector<DistributionRow> Distribute(const ContentsNodeTag& top, const DistributionQuery& query)
{
    std::vector<DistributionRow> rows;
    Collect(top, query, rows);
    return rows;
}

std::string NodePath(const ContentsNodeTag& node)
{
    std::vector<const ContentsNodeTag*> chain;
    for (const ContentsNodeTag* at = &node; at && at->level >= 1; at = at->parent)
        chain.push_back(at);
    std::string path;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (!path.empty())
            path += '/';
        Utf16ToUtf8((*it)->name, path, true);
    }
    return path;
}

} // namespace vesk
