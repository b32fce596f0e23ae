#include "compare/query.h"

#include "textstore/code_converter.h"
#include "textstore/utf8_decode.h"

#include <algorithm>
#include <map>

namespace vesk::bench {

std::vector<PeerTerm> PeerTerms(const Query& query, const CIndex& index)
{
    std::vector<PeerTerm> terms;
    std::u32string term;
    const auto flush = [&] {
        PeerTerm units;
        for (char32_t c : term) {
            if (c == U'*') {
                if (!units.empty() && units.back().kind != PeerUnit::Gap)
                    units.push_back({PeerUnit::Gap, {}});
                continue;
            }
            if (c == U'?' || c == U'\uFF1F') {
                units.push_back({PeerUnit::AnyOne, {}});
                continue;
            }
            PeerUnit unit;
            std::uint32_t key = 0;
            if (query.useVariants && index.FindVariantKey(c, key)) {
                for (std::uint32_t member : index.Variants().Groups()[key - kFirstVariantKey]) {
                    std::string s;
                    AppendUtf8(member, s);
                    unit.spellings.push_back(s);
                }
            } else {
                std::string s;
                AppendUtf8(c, s);
                unit.spellings.push_back(s);
            }
            units.push_back(unit);
        }
        // A "?" or "*" at either end of a term constrains nothing: the engine
        // counts a place even where the page offers no character there.
        while (!units.empty() && units.back().kind != PeerUnit::Character)
            units.pop_back();
        while (!units.empty() && units.front().kind != PeerUnit::Character)
            units.erase(units.begin());
        if (!units.empty())
            terms.push_back(units);
        term.clear();
    };
    const std::u16string keyword = Utf8ToUtf16(query.keyword);
    for (std::size_t i = 0; i < keyword.size(); ++i) {
        char32_t c = keyword[i];
        if (c == u' ' || c == u'\u3000') {
            flush();
            continue;
        }
        if (IsHighSurrogate(c) && i + 1 < keyword.size() && IsLowSurrogate(keyword[i + 1]))
            c = CombineSurrogates(c, keyword[++i]);
        term.push_back(c);
    }
    flush();
    return terms;
}

bool HasGap(const PeerTerm& term)
{
    return std::any_of(term.begin(), term.end(), [](const PeerUnit& u) { return u.kind == PeerUnit::Gap; });
}

Found Unite(const std::vector<Found>& parts)
{
    std::map<std::uint32_t, std::uint32_t> all;
    for (const Found& part : parts)
        for (std::size_t i = 0; i < part.pages.size(); ++i)
            all[part.pages[i]] += i < part.counts.size() ? part.counts[i] : 0;
    Found out;
    for (const auto& [page, count] : all) {
        out.pages.push_back(page);
        out.counts.push_back(count);
    }
    return out;
}

Found Intersect(const std::vector<Found>& parts)
{
    std::map<std::uint32_t, std::pair<std::size_t, std::uint32_t>> seen;
    for (const Found& part : parts) {
        std::vector<std::uint32_t> pages = part.pages;
        std::sort(pages.begin(), pages.end());
        pages.erase(std::unique(pages.begin(), pages.end()), pages.end());
        for (std::size_t i = 0; i < part.pages.size(); ++i)
            seen[part.pages[i]].second += i < part.counts.size() ? part.counts[i] : 0;
        for (std::uint32_t page : pages)
            seen[page].first += 1;
    }
    Found out;
    for (const auto& [page, entry] : seen) {
        if (entry.first == parts.size()) {
            out.pages.push_back(page);
            out.counts.push_back(entry.second);
        }
    }
    return out;
}

} // namespace vesk::bench
