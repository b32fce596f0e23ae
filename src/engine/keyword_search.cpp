// Keyword search of CIndex: splitting a keyword into terms, searching each
// term (term_search.h) and combining the terms' page lists.
//
// Combination is defined by look-ups in the result arrays: "or" adds a new
// page's count to the first equal entry or appends the page; "and" keeps, in
// the new list's order, the pages present in the results with the new count
// plus that of the first equal entry. Both run here in linear time through a
// map from page to its first entry, giving exactly the same arrays.
#include "engine/index.h"

#include "engine/report.h"
#include "engine/term_search.h"
#include "textstore/code_converter.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <unordered_map>

namespace vesk {
namespace {

constexpr char16_t kSpace = u' ';
constexpr char16_t kIdeographicSpace = u'\u3000';

// Page -> index of its first entry in the result arrays. A dense table when
// the page identifiers are small (they are below the page count in sound
// data), a hash map otherwise.
class FirstEntryMap {
public:
    static constexpr std::size_t kNone = SIZE_MAX;

    FirstEntryMap(const std::vector<std::uint32_t>& results, std::span<const std::uint32_t> incoming)
    {
        std::uint32_t largest = 0;
        for (std::uint32_t page : results)
            largest = std::max(largest, page);
        for (std::uint32_t page : incoming)
            largest = std::max(largest, page);
        m_bDense = largest < kDenseLimit;
        if (m_bDense)
            m_dense.assign(std::size_t{largest} + 1, kNone);
        else
            m_sparse.reserve(results.size() + incoming.size());
        for (std::size_t i = 0; i < results.size(); ++i)
            Add(results[i], i);
    }

    std::size_t Find(std::uint32_t page) const
    {
        if (m_bDense)
            return m_dense[page];
        const auto it = m_sparse.find(page);
        return it == m_sparse.end() ? kNone : it->second;
    }

    // Records index for page unless the page has an entry already.
    void Add(std::uint32_t page, std::size_t index)
    {
        if (m_bDense) {
            if (m_dense[page] == kNone)
                m_dense[page] = index;
        } else {
            m_sparse.try_emplace(page, index);
        }
    }

private:
    static constexpr std::uint32_t kDenseLimit = 1u << 22;
    bool m_bDense = false;
    std::vector<std::size_t> m_dense;
    std::unordered_map<std::uint32_t, std::size_t> m_sparse;
};

void ReportScanFault(const ScanFault& fault)
{
    ReportDiagnostic("posting stream of key " + std::to_string(fault.key) + " damaged at offset " +
                     std::to_string(fault.offset) + ": " + StreamFaultText(fault.fault));
}

} // namespace

int CIndex::CheckKeyword(std::u16string_view keyword)
{
    int terms = 0;
    bool open = false;
    for (char16_t unit : keyword) {
        if (unit == kSpace || unit == kIdeographicSpace) {
            open = false;
            continue;
        }
        if (unit < 0x100 && unit != u'*' && unit != u'?')
            return 0;
        if (!open) {
            open = true;
            ++terms;
        }
    }
    return terms;
}

void CIndex::Combine(std::span<const std::uint32_t> pages, std::span<const std::uint32_t> counts, int mode)
{
    if (mode == kSearchUnite) {
        FirstEntryMap first(m_arrPages, pages);
        for (std::size_t i = 0; i < pages.size(); ++i) {
            const std::size_t at = first.Find(pages[i]);
            if (at == FirstEntryMap::kNone) {
                first.Add(pages[i], m_arrPages.size());
                m_arrPages.push_back(pages[i]);
                m_arrCounts.push_back(counts[i]);
            } else {
                m_arrCounts[at] += counts[i];
            }
        }
    } else if (mode == kSearchIntersect) {
        const FirstEntryMap first(m_arrPages, pages);
        std::vector<std::uint32_t> keptPages, keptCounts;
        for (std::size_t i = 0; i < pages.size(); ++i) {
            const std::size_t at = first.Find(pages[i]);
            if (at == FirstEntryMap::kNone)
                continue;
            keptPages.push_back(pages[i]);
            keptCounts.push_back(counts[i] + m_arrCounts[at]);
        }
        m_arrPages = std::move(keptPages);
        m_arrCounts = std::move(keptCounts);
    } else {
        m_arrPages.assign(pages.begin(), pages.end());
        m_arrCounts.assign(counts.begin(), counts.end());
    }
    m_nResults = static_cast<std::int32_t>(m_arrPages.size());
}

int CIndex::SearchTerm(std::u16string_view term, int mode, bool useVariants)
{
    TermPlan plan;
    const TermPlanStatus status =
        PlanTerm(term, useVariants, m_variantGroups, m_bOpen ? FirstBlocks() : std::span<const std::int32_t>{}, plan);
    if (status != TermPlanStatus::Ready) {
        if (mode != kSearchUnite) {
            m_arrPages.clear();
            m_arrCounts.clear();
            m_nResults = 0;
        }
        return 0;
    }
    std::vector<std::uint32_t> pages, counts;
    ScanFault fault;
    const PostingTables tables{PostingData(), FirstBlocks(), LastPages(), BlockLinks(), &m_skipTables};
    if (!ScanTerm(plan, tables, pages, counts, fault, m_scanMethod)) {
        ReportScanFault(fault); // the term finds nothing
        pages.clear();
        counts.clear();
    }
    Combine(pages, counts, mode);
    return m_nResults;
}

int CIndex::SearchAnd(std::u16string& keyword, bool useVariants)
{
    if (CheckKeyword(keyword) == 0)
        return 0;
    m_arrPages.clear();
    m_arrCounts.clear();
    m_nResults = 0;
    int sum = 0;
    bool firstTerm = true;
    std::u16string term;
    const auto searchTerm = [&] {
        // Once the intersection is empty, further terms cannot change it.
        if (firstTerm || m_nResults > 0)
            sum += SearchTerm(term, firstTerm ? kSearchReplace : kSearchIntersect, useVariants);
        firstTerm = false;
        term.clear();
    };
    for (std::size_t i = 0; i < keyword.size(); ++i) {
        if (keyword[i] == kSpace) {
            keyword[i] = kIdeographicSpace;
            if (!term.empty())
                searchTerm();
        } else {
            term.push_back(keyword[i]);
            if (i + 1 == keyword.size())
                searchTerm();
        }
    }
    return sum;
}

int CIndex::SearchOr(std::u16string& keyword, bool useVariants)
{
    if (CheckKeyword(keyword) == 0)
        return 0;
    m_arrPages.clear();
    m_arrCounts.clear();
    m_nResults = 0;
    int sum = 0;
    std::u16string term;
    for (std::size_t i = 0; i < keyword.size(); ++i) {
        if (keyword[i] == kSpace) {
            keyword[i] = kIdeographicSpace;
            if (!term.empty())
                sum += SearchTerm(term, kSearchUnite, useVariants);
            term.clear();
        } else {
            term.push_back(keyword[i]);
            if (i + 1 == keyword.size())
                sum += SearchTerm(term, kSearchUnite, useVariants);
        }
    }
    return sum;
}

} // namespace vesk
