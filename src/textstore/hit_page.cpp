#include "textstore/hit_page.h"

#include <algorithm>

#include "textstore/code_converter.h"

namespace vesk {
namespace {

constexpr std::size_t kCellCapacity = 10000;

// One pass with a compiled keyword; also hands back the new text cell.
std::int32_t AssembleWithPattern(std::string_view page, std::string& out, const Pattern& pattern,
                                 std::int32_t textCell, std::int32_t target,
                                 std::int32_t& anchorCounter, std::string& newCell,
                                 const HitObserver* observer = nullptr)
{
    HTMLNodes nodes;
    ParsePage(page, nodes);
    HTMLNode& cellNode = *nodes[textCell == 0 ? 1 : 2];
    FilterItems items;
    FilterAnnotations(cellNode, items);

    const bool markMain = target != kTargetAnnotations;
    const bool markAnnotations = target != kTargetMain;
    std::int32_t hits = 0;
    std::vector<HitSpan> spans;
    std::vector<HitSpan>* spansOut = observer && *observer ? &spans : nullptr;
    newCell.clear();
    newCell.reserve(std::max(kCellCapacity, cellNode.text.size()));
    for (std::size_t i = 0; i < items.size(); ++i) {
        const auto& item = items[i];
        const bool annotation = item->kind == 1;
        if (annotation)
            newCell.append(kAnnotationOpenTag);
        if (annotation ? markAnnotations : markMain) {
            spans.clear();
            hits += MarkPattern(item->text, pattern, newCell, anchorCounter, spansOut);
            for (std::size_t k = 0; k < spans.size(); ++k)
                (*observer)(MarkedHit{i, item->kind, item->text, spans[k], k == 0});
        } else {
            newCell.append(item->text);
        }
        if (annotation)
            newCell.append(kAnnotationCloseTag);
    }
    cellNode.text = newCell;

    out.append(kFramePiece1);
    out.append(nodes[0]->text);
    out.append(kFramePiece3);
    out.append(nodes[1]->text);
    out.append(kFramePiece5);
    out.append(nodes[2]->text);
    out.append(kFramePiece7);
    return hits;
}

} // namespace

std::int32_t AssemblePage(std::string_view page, std::string& out, std::string_view keyword,
                          std::int32_t textCell, std::int32_t target, std::int32_t& anchorCounter)
{
    Pattern pattern;
    BuildPattern(keyword, pattern);
    std::string newCell;
    return AssembleWithPattern(page, out, pattern, textCell, target, anchorCounter, newCell);
}

std::vector<std::u16string_view> SplitKeywords(std::u16string_view keywords)
{
    std::vector<std::u16string_view> out;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= keywords.size(); ++i) {
        if (i < keywords.size() && keywords[i] != u' ' && keywords[i] != u'\u3000')
            continue;
        if (i > start)
            out.push_back(keywords.substr(start, i - start));
        start = i + 1;
    }
    return out;
}

HitPageWriter::HitPageWriter(std::string_view storedPage, std::int64_t pageNumber,
                             std::int32_t target)
    : m_page(storedPage), m_textCellIndex(TextCellOfPage(pageNumber)), m_target(target)
{
}

void HitPageWriter::AddKeyword(std::string_view keyword)
{
    if (!m_seen.emplace(keyword).second)
        return;
    Pattern pattern;
    BuildPattern(keyword, pattern);
    if (m_started && !MayHaveHit(pattern))
        return;
    RunPattern(pattern);
}

void HitPageWriter::RunPass(std::string_view keyword)
{
    Pattern pattern;
    BuildPattern(keyword, pattern);
    RunPattern(pattern);
}

void HitPageWriter::RunPattern(const Pattern& pattern)
{
    if (m_passBytes > kMaxPassBytes) {
        m_cut = true;
        return;
    }
    m_passBytes += m_page.size();
    std::string next;
    next.reserve(m_page.size() + 1024);
    const std::int32_t before = m_anchors;
    AssembleWithPattern(m_page, next, pattern, m_textCellIndex, m_target, m_anchors, m_textCell, &m_observer);
    m_page = std::move(next);
    if (!m_started || m_anchors != before)
        ++m_revision;
    m_started = true;
}

bool HitPageWriter::MayHaveHit(const Pattern& pattern) const
{
    return !m_started || vesk::MayHaveHit(pattern, m_textCell);
}

void AddKeywords(std::u16string_view keywords, HitPageWriter& writer)
{
    std::string bytes;
    for (std::u16string_view keyword : SplitKeywords(keywords)) {
        bytes.clear();
        Utf16ToUtf8(keyword, bytes, true);
        writer.AddKeyword(bytes);
    }
}

std::int32_t GenerateHitPage(std::string_view storedPage, std::int64_t pageNumber,
                             std::u16string_view keywords, std::int32_t target, std::string& out)
{
    HitPageWriter writer(storedPage, pageNumber, target);
    AddKeywords(keywords, writer);
    if (!writer.Started())
        return 0;
    out = writer.Page();
    return writer.Anchors();
}

} // namespace vesk
