#include "support/reference_hit_page.h"

#include <set>
#include <vector>

#include "textstore/code_converter.h"
#include "textstore/hit_page.h"

namespace vesk::testing {

std::int32_t ReferenceMarkPattern(std::string_view text, const Pattern& pattern, std::string& out,
                                  std::int32_t& anchorCounter)
{
    if (pattern.empty()) {
        out.append(text);
        return 0;
    }
    const std::size_t end = text.size();
    auto find = [&](std::string_view what, std::size_t from) {
        const std::size_t at = text.find(what, from);
        return at == std::string_view::npos ? end : at;
    };
    auto clamp = [&](std::size_t at) { return at < end ? at : end; };
    std::int32_t hits = 0;
    std::size_t last = 0, pos = 0;
    while (last < end) {
        std::vector<std::size_t> found;
        for (const Seg& seg : pattern) {
            const std::size_t len = seg.bytes.size();
            if (seg.kind == 2) {
                const std::size_t m = find(seg.bytes, pos);
                if (m != end) {
                    found.push_back(m);
                    pos = clamp(m + len);
                } else {
                    pos = end;
                }
            } else if (seg.kind == 0) {
                if (pos == end)
                    continue;
                const std::size_t m = find(seg.bytes, pos), p = find("<p>", pos), h = find("<h4>", pos);
                if (p < m)
                    pos = clamp(p + 3);
                else if (h < m)
                    pos = clamp(h + 4);
                else if (m != end) {
                    found.push_back(m);
                    pos = clamp(m + len);
                } else
                    pos = end;
            } else {
                if (pos == end || pos + 3 * static_cast<std::size_t>(seg.count) >= end)
                    continue;
                const std::size_t g = pos + 3 * static_cast<std::size_t>(seg.count);
                const std::size_t m = find(seg.bytes, g);
                if (m == g) {
                    found.push_back(g);
                    pos = clamp(g + len);
                } else if (m == end) {
                    pos = end;
                }
            }
        }
        if (found.size() == pattern.size()) {
            ++hits;
            out.append(text.substr(last, found[0] - last));
            for (std::size_t i = 0; i < found.size(); ++i) {
                const std::size_t after = found[i] + pattern[i].bytes.size();
                AppendAnchor(anchorCounter++, out);
                out.append(kHitOpenTag).append(text.substr(found[i], pattern[i].bytes.size())).append(kHitCloseTag);
                if (i + 1 == found.size())
                    break;
                if (pattern[i + 1].kind == 0) {
                    out.append(text.substr(after, found[i + 1] - after));
                } else {
                    out.append(kHitOpenTag);
                    AppendAnchor(anchorCounter++, out);
                    out.append(text.substr(after, found[i + 1] - after)).append(kHitCloseTag);
                }
            }
        } else {
            out.append(text.substr(last, pos - last));
        }
        last = pos;
    }
    return hits;
}

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
