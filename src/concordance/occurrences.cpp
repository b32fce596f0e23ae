#include "concordance/occurrences.h"

#include "textstore/hit_marker.h"

#include <algorithm>

namespace vesk {
namespace {

// A hit as observed during marking: its anchors, its layer and how many
// bytes of plain text it covers.
struct ObservedHit {
    std::int32_t kind = 0;
    std::int32_t anchor = 0;
    std::int32_t anchors = 0;
    std::size_t matchBytes = 0;
};

bool IsLayoutByte(char c)
{
    return c == '\n' || c == '\r' || c == '\t';
}

bool IsContinuation(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Plain-text bytes in html[begin, end) (plain_text.h); begin is outside a tag.
std::size_t PlainBytes(std::string_view html, std::size_t begin, std::size_t end)
{
    std::size_t count = 0;
    bool inTag = false;
    for (std::size_t i = begin; i < end && i < html.size(); ++i) {
        const char c = html[i];
        if (inTag)
            inTag = c != '>';
        else if (c == '<')
            inTag = true;
        else if (!IsLayoutByte(c))
            ++count;
    }
    return count;
}

// Collects plain text forward from at: first `bytes` bytes into match, then
// `chars` code points into right.
void ReadForward(std::string_view cell, std::size_t at, std::size_t bytes, std::size_t chars, std::string& match,
                 std::string& right)
{
    bool inTag = false;
    for (; at < cell.size(); ++at) {
        const char c = cell[at];
        if (inTag) {
            inTag = c != '>';
            continue;
        }
        if (c == '<') {
            inTag = true;
            continue;
        }
        if (IsLayoutByte(c))
            continue;
        if (match.size() < bytes) {
            match.push_back(c);
            continue;
        }
        if (!IsContinuation(c) && chars-- == 0)
            break;
        right.push_back(c);
    }
}

// Collects `chars` code points of plain text backward from at into left.
// Walking back, a ">" closes a tag that opened at the "<" before it.
void ReadBackward(std::string_view cell, std::size_t at, std::size_t chars, std::string& left)
{
    std::string reversed;
    while (at > 0 && chars > 0) {
        const char c = cell[--at];
        if (c == '>') {
            const std::size_t open = cell.rfind('<', at);
            if (open == std::string_view::npos)
                break;
            at = open;
            continue;
        }
        if (IsLayoutByte(c))
            continue;
        reversed.push_back(c);
        if (!IsContinuation(c))
            --chars;
    }
    left.assign(reversed.rbegin(), reversed.rend());
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
    const HitObserver observer = [&](const MarkedHit& hit) {
        hits.push_back(ObservedHit{hit.itemKind, hit.span.firstAnchor, hit.span.anchors,
                                   PlainBytes(hit.itemText, hit.span.begin, hit.span.end)});
    };
    std::string page;
    std::string cell;
    if (index.RenderHitPage(pageId, page, query.keyword, query.target, query.useVariants, observer, &cell) <= 0 ||
        hits.empty())
        return;
    std::sort(hits.begin(), hits.end(),
              [](const ObservedHit& a, const ObservedHit& b) { return a.anchor < b.anchor; });
    const auto context = static_cast<std::size_t>(std::clamp(query.contextChars, 0, kMaxContextChars));
    std::string anchorTag;
    for (const ObservedHit& hit : hits) {
        // The hit starts at its first anchor in the marked text cell, which
        // opens a highlight: every anchor of a page is there once, and the
        // highlight keeps an anchor the stored page itself held from counting.
        anchorTag.clear();
        AppendAnchor(hit.anchor, anchorTag);
        anchorTag += kHitOpenTag;
        const std::size_t at = cell.find(anchorTag);
        if (at == std::string::npos)
            continue; // cannot happen: the observer saw this anchor written
        Occurrence& row = out.emplace_back();
        row.pageId = pageId;
        row.anchor = hit.anchor;
        row.anchors = hit.anchors;
        row.layer = hit.kind == 1 ? kLayerAnnotation : kLayerMain;
        ReadBackward(cell, at, context, row.left);
        ReadForward(cell, at, hit.matchBytes, context, row.match, row.right);
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
