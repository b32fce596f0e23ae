#include "concordance/occurrences.h"

#include "concordance/plain_text.h"
#include "textstore/page_parser.h"

#include <algorithm>
#include <optional>

namespace vesk {
namespace {

// A hit as observed during marking, in plain-text bytes of its item.
struct ObservedHit {
    std::size_t item = 0;
    std::int32_t kind = 0;
    std::size_t plainBegin = 0;
    std::size_t plainEnd = 0;
    std::int32_t anchor = 0;
    std::int32_t anchors = 0;
};

// The plain text of a page's text cell and where each item starts in it.
struct PlainCell {
    std::string text;
    std::vector<std::size_t> itemStarts;
};

PlainCell PlainCellOf(std::string_view hitPage, std::int32_t pageNumber)
{
    HTMLNodes nodes;
    ParsePage(hitPage, nodes);
    FilterItems items;
    FilterAnnotations(*nodes[TextCellIndex(pageNumber)], items);
    PlainCell cell;
    cell.itemStarts.reserve(items.size());
    for (const auto& item : items) {
        cell.itemStarts.push_back(cell.text.size());
        AppendPlainText(item->text, cell.text);
    }
    return cell;
}

} // namespace

std::int32_t TargetOfIndexType(int indexType)
{
    if (indexType == kIndexMain)
        return kTargetMain;
    if (indexType == kIndexAnnotations)
        return kTargetAnnotations;
    return kTargetWhole;
}

void AppendPageOccurrences(const CIndex& index, std::uint32_t pageId, const ConcordanceQuery& query,
                           std::vector<Occurrence>& out)
{
    std::vector<ObservedHit> hits;
    std::optional<PlainOffsets> offsets;
    const HitObserver observer = [&](const MarkedHit& hit) {
        // Hits of one item in one pass come in text order, so one walk over
        // the item serves them all.
        if (hit.firstInItem || !offsets)
            offsets.emplace(hit.itemText);
        const std::size_t begin = offsets->At(hit.span.begin);
        const std::size_t end = offsets->At(hit.span.end);
        hits.push_back(ObservedHit{hit.item, hit.itemKind, begin, end, hit.span.firstAnchor, hit.span.anchors});
    };
    std::string page;
    if (index.RenderHitPage(pageId, page, query.keyword, query.target, query.useVariants, observer) <= 0 ||
        hits.empty())
        return;
    std::string name;
    if (!index.FileList().ReadFileName(pageId, name))
        return;
    const PlainCell cell = PlainCellOf(page, CFileList::PageNumberFromName(name).value_or(0));

    std::sort(hits.begin(), hits.end(),
              [](const ObservedHit& a, const ObservedHit& b) { return a.anchor < b.anchor; });
    const auto context = static_cast<std::size_t>(std::clamp(query.contextChars, 0, kMaxContextChars));
    const std::string_view text = cell.text;
    for (const ObservedHit& hit : hits) {
        if (hit.item >= cell.itemStarts.size())
            continue; // cannot happen: every pass sees the same items
        const std::size_t itemEnd =
            hit.item + 1 < cell.itemStarts.size() ? cell.itemStarts[hit.item + 1] : text.size();
        const std::size_t begin = std::min(cell.itemStarts[hit.item] + hit.plainBegin, itemEnd);
        const std::size_t end = std::clamp(cell.itemStarts[hit.item] + hit.plainEnd, begin, itemEnd);
        Occurrence& row = out.emplace_back();
        row.pageId = pageId;
        row.anchor = hit.anchor;
        row.anchors = hit.anchors;
        row.layer = hit.kind == 1 ? kLayerAnnotation : kLayerMain;
        const std::size_t leftStart = CodePointsBack(text, begin, context);
        row.left.assign(text.substr(leftStart, begin - leftStart));
        row.match.assign(text.substr(begin, end - begin));
        row.right.assign(text.substr(end, CodePointsForward(text, end, context) - end));
    }
}

bool StreamOccurrences(const CIndex& index, std::span<const std::uint32_t> pages, const ConcordanceQuery& query,
                       const OccurrenceSink& sink)
{
    std::vector<Occurrence> rows;
    for (std::uint32_t pageId : pages) {
        rows.clear();
        AppendPageOccurrences(index, pageId, query, rows);
        if (!sink(pageId, rows))
            return false;
    }
    return true;
}

} // namespace vesk
