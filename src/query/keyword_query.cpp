#include "query/keyword_query.h"

#include "engine/index.h"

#include <algorithm>
#include <cstdio>

namespace vesk {
namespace {

constexpr char16_t kSeparator = u' ';
constexpr char16_t kExclusionMark = u'-';

std::vector<std::u16string_view> SplitTerms(std::u16string_view text)
{
    std::vector<std::u16string_view> terms;
    std::size_t start = 0;
    for (std::size_t pos = 0; pos <= text.size(); ++pos) {
        if (pos == text.size() || text[pos] == kSeparator) {
            if (pos > start)
                terms.push_back(text.substr(start, pos - start));
            start = pos + 1;
        }
    }
    return terms;
}

void AppendTerm(std::u16string& keyword, std::u16string_view term)
{
    if (!keyword.empty())
        keyword.push_back(kSeparator);
    keyword.append(term);
}

// The first unit the engine turns down, 0 when there is none.
char16_t RejectedUnit(std::u16string_view keyword)
{
    for (char16_t unit : keyword)
        if (unit < 0x100 && unit != u' ' && unit != u'*' && unit != u'?')
            return unit;
    return 0;
}

KeywordRefusal Refusal(KeywordRefusalKind kind, char16_t unit = 0)
{
    KeywordRefusal refusal;
    refusal.kind = kind;
    refusal.unit = unit;
    return refusal;
}

std::optional<KeywordRefusal> CheckQuery(const KeywordQuery& query)
{
    for (const std::u16string* part : {&query.find, &query.exclude})
        if (const char16_t unit = RejectedUnit(*part))
            return Refusal(KeywordRefusalKind::Rejected, unit);
    if (CIndex::CheckKeyword(query.find) == 0)
        return Refusal(query.exclude.empty() ? KeywordRefusalKind::NoTerm : KeywordRefusalKind::OnlyExclusions);
    return std::nullopt;
}

// Drops from the index's result arrays every page in excluded (sorted).
void DropPages(CIndex& index, const std::vector<std::uint32_t>& excluded)
{
    std::size_t kept = 0;
    for (std::size_t i = 0; i < index.m_arrPages.size() && i < index.m_arrCounts.size(); ++i) {
        if (std::binary_search(excluded.begin(), excluded.end(), index.m_arrPages[i]))
            continue;
        index.m_arrPages[kept] = index.m_arrPages[i];
        index.m_arrCounts[kept] = index.m_arrCounts[i];
        ++kept;
    }
    index.m_arrPages.resize(kept);
    index.m_arrCounts.resize(kept);
    index.m_nResults = static_cast<std::int32_t>(kept);
}

} // namespace

KeywordQuery PrepareKeywordQuery(std::u16string_view typed)
{
    KeywordQuery query;
    CodePointFormsResult forms = ReplaceCodePointForms(typed);
    if (forms.error) {
        KeywordRefusal refusal = Refusal(KeywordRefusalKind::CodePointForm);
        refusal.form = *forms.error;
        query.refusal = refusal;
        return query;
    }
    std::u16string text = std::move(forms.text);
    std::replace(text.begin(), text.end(), u'\u3000', kSeparator);

    std::u16string find;
    for (std::u16string_view term : SplitTerms(text)) {
        if (term.front() != kExclusionMark) {
            AppendTerm(find, term);
        } else if (term.size() == 1) {
            query.refusal = Refusal(KeywordRefusalKind::EmptyExclusion);
            return query;
        } else {
            AppendTerm(query.exclude, term.substr(1));
        }
    }
    // Without excluded terms the keyword goes to the engine as typed.
    query.find = query.exclude.empty() ? std::move(text) : std::move(find);
    query.refusal = CheckQuery(query);
    return query;
}

KeywordQueryResult RunKeywordQuery(CIndex& index, const KeywordQuery& query, const KeywordQueryOptions& options)
{
    KeywordQueryResult result;
    if (query.refusal) {
        result.refusal = query.refusal;
        return result;
    }
    std::vector<std::uint32_t> excluded;
    if (!query.exclude.empty()) {
        std::u16string exclude = query.exclude;
        index.SearchOr(exclude, options.useVariants);
        excluded = index.m_arrPages;
        std::sort(excluded.begin(), excluded.end());
    }
    result.keyword = query.find;
    if (options.useOr)
        index.SearchOr(result.keyword, options.useVariants);
    else
        index.SearchAnd(result.keyword, options.useVariants);
    if (!excluded.empty())
        DropPages(index, excluded);
    if (options.copyResults) {
        result.pages = index.m_arrPages;
        result.counts = index.m_arrCounts;
    }
    return result;
}

KeywordQueryResult RunKeywordQuery(CIndex& index, std::u16string_view typed, const KeywordQueryOptions& options)
{
    return RunKeywordQuery(index, PrepareKeywordQuery(typed), options);
}

std::string DescribeKeywordRefusal(const KeywordRefusal& refusal)
{
    const std::string lead = "keyword rejected: ";
    switch (refusal.kind) {
    case KeywordRefusalKind::CodePointForm:
        return lead + "bad code point " + DescribeCodePointFormError(refusal.form);
    case KeywordRefusalKind::EmptyExclusion:
        return lead + "a \"-\" excludes nothing without a term after it";
    case KeywordRefusalKind::OnlyExclusions:
        return lead + "only excluded terms, nothing to find";
    case KeywordRefusalKind::NoTerm:
        return lead + "it holds no term";
    case KeywordRefusalKind::Rejected:
        break;
    }
    char text[64];
    std::snprintf(text, sizeof text, "U+%04X cannot be searched (below U+0100)", static_cast<unsigned>(refusal.unit));
    return lead + text;
}

} // namespace vesk
