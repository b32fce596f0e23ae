#include "textstore/hit_marker.h"

#include <algorithm>
#include <cstdio>

namespace vesk {
namespace {

constexpr std::size_t kQuestionBytes = 3; // one CJK character in UTF-8

// The first occurrence of a needle at or after a position, remembered. The
// walk only ever searches from positions that do not decrease, so an answer
// at or after the new start is still the first one there; each stretch of
// text is scanned about once per needle instead of once per attempt.
class NextOccurrence {
public:
    NextOccurrence(std::string_view text, std::string_view needle) : m_text(text), m_needle(needle) {}

    // Like text.find(needle, from), with text.size() for "not found".
    std::size_t From(std::size_t from)
    {
        if (!m_known || (m_at < from && m_at != m_text.size())) {
            const std::size_t at = m_text.find(m_needle, from);
            m_at = at == std::string_view::npos ? m_text.size() : at;
            m_known = true;
        }
        return m_at;
    }

private:
    std::string_view m_text;
    std::string_view m_needle;
    std::size_t m_at = 0;
    bool m_known = false;
};

} // namespace

void BuildPattern(std::string_view keyword, Pattern& pattern)
{
    std::size_t runStart = 0;
    while (runStart <= keyword.size()) {
        std::size_t runEnd = keyword.find('*', runStart);
        if (runEnd == std::string_view::npos)
            runEnd = keyword.size();
        if (runEnd > runStart) {
            const std::string_view run = keyword.substr(runStart, runEnd - runStart);
            // The segment that receives the next stretch of literal bytes; it
            // is created before its bytes are known, as a placeholder.
            pattern.push_back(Seg{runStart == 0 ? Seg::kFirst : Seg::kAfterStar, {}, 1});
            std::int32_t pending = 1;
            std::size_t i = 0;
            while (i < run.size()) {
                if (run[i] == '?') {
                    ++pending;
                    ++i;
                    continue;
                }
                std::size_t stop = run.find('?', i);
                if (stop == std::string_view::npos)
                    stop = run.size();
                pattern.back().bytes.assign(run.substr(i, stop - i));
                pattern.back().count = pending;
                pattern.push_back(Seg{Seg::kAfterQuestion, {}, 1});
                pending = 1;
                i = stop < run.size() ? stop + 1 : stop;
            }
            // The placeholder left at the end of the run got no bytes.
            pattern.pop_back();
        }
        runStart = runEnd + 1;
    }
}

void AppendAnchor(std::int32_t number, std::string& out)
{
    char digits[16];
    const int n = std::snprintf(digits, sizeof digits, "%04d", static_cast<int>(number));
    out.append("<a name=\"");
    out.append(digits, static_cast<std::size_t>(std::max(n, 0)));
    out.append("\"></a>");
}

std::int32_t MarkPattern(std::string_view text, const Pattern& pattern, std::string& out,
                         std::int32_t& anchorCounter, std::vector<HitSpan>* spans)
{
    if (pattern.empty()) {
        out.append(text);
        return 0;
    }
    const std::size_t end = text.size();
    auto clampToEnd = [&](std::size_t at) { return std::min(at, end); };
    std::vector<NextOccurrence> segments;
    segments.reserve(pattern.size());
    for (const Seg& seg : pattern)
        segments.emplace_back(text, seg.bytes);
    NextOccurrence paragraph(text, kParagraphTag);
    NextOccurrence heading(text, kHeadingTag);

    std::int32_t hits = 0;
    std::size_t last = 0;
    std::size_t pos = 0;
    std::vector<std::size_t> found;
    found.reserve(pattern.size());
    while (last < end) {
        found.clear();
        // Every segment is tried, even after an earlier one failed; a failed
        // attempt still moves pos on.
        for (std::size_t i = 0; i < pattern.size(); ++i) {
            const Seg& seg = pattern[i];
            const std::size_t len = seg.bytes.size();
            if (seg.kind == Seg::kFirst) {
                const std::size_t m = segments[i].From(pos);
                if (m != end) {
                    found.push_back(m);
                    pos = clampToEnd(m + len);
                } else {
                    pos = end;
                }
            } else if (seg.kind == Seg::kAfterStar) {
                if (pos == end)
                    continue;
                const std::size_t m = segments[i].From(pos);
                const std::size_t p = paragraph.From(pos);
                const std::size_t h = heading.From(pos);
                if (p < m) {
                    pos = clampToEnd(p + kParagraphTag.size());
                } else if (h < m) {
                    pos = clampToEnd(h + kHeadingTag.size());
                } else if (m != end) {
                    found.push_back(m);
                    pos = clampToEnd(m + len);
                } else {
                    pos = end;
                }
            } else {
                const std::size_t gap = kQuestionBytes * static_cast<std::size_t>(std::max(seg.count, 0));
                if (pos == end || gap >= end - pos)
                    continue;
                const std::size_t g = pos + gap;
                const std::size_t m = segments[i].From(g);
                if (m == g) {
                    found.push_back(g);
                    pos = clampToEnd(g + len);
                } else if (m == end) {
                    pos = end;
                }
            }
        }

        if (found.size() == pattern.size()) {
            ++hits;
            if (spans)
                spans->push_back(HitSpan{found[0], found.back() + pattern.back().bytes.size(), anchorCounter, 0});
            out.append(text.substr(last, found[0] - last));
            for (std::size_t i = 0; i < pattern.size(); ++i) {
                const std::size_t segEnd = found[i] + pattern[i].bytes.size();
                AppendAnchor(anchorCounter++, out);
                out.append(kHitOpenTag);
                out.append(text.substr(found[i], pattern[i].bytes.size()));
                out.append(kHitCloseTag);
                if (i + 1 == pattern.size())
                    break;
                const std::string_view between = text.substr(segEnd, found[i + 1] - segEnd);
                if (pattern[i + 1].kind == Seg::kAfterStar) {
                    out.append(between);
                } else {
                    // The characters the "?" stood for are highlighted too.
                    out.append(kHitOpenTag);
                    AppendAnchor(anchorCounter++, out);
                    out.append(between);
                    out.append(kHitCloseTag);
                }
            }
            if (spans)
                spans->back().anchors = anchorCounter - spans->back().firstAnchor;
        } else {
            out.append(text.substr(last, pos - last));
        }
        last = pos;
    }
    return hits;
}

std::int32_t MarkHits(const FilterItem& item, std::string_view keyword, std::string& out,
                      std::int32_t& anchorCounter)
{
    Pattern pattern;
    BuildPattern(keyword, pattern);
    return MarkPattern(item.text, pattern, out, anchorCounter);
}

bool MayHaveHit(const Pattern& pattern, std::string_view text)
{
    if (pattern.empty())
        return false;
    std::size_t from = 0;
    for (const Seg& seg : pattern) {
        const std::size_t at = text.find(seg.bytes, from);
        if (at == std::string_view::npos)
            return false;
        from = at + seg.bytes.size();
    }
    return true;
}

} // namespace vesk
