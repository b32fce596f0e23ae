// Keyword search of CIndex: splitting a keyword into terms, searching each
// term (term_search.h) and combining the terms' page lists.
//
// Combination is defined by look-ups in the result arrays: "or" adds a new
// page's count to the first equal entry or appends the page; "and" keeps, in
// the new list's order, the pages present in the results with the new count
// plus that of the first equal entry. Both run here through a map from page
// to its first entry (result_index.h), kept from term to term, giving exactly
// the same arrays in time proportional to the pages combined; "and" of two
// lists that ascend strictly (as in every "and" search: a term's pages
// ascend, and each intersection keeps them in order) by a merge instead. A
// term that occurs more than once in a keyword is searched once (see TermUse).
#include "engine/index.h"

#include "engine/pair_scan.h"
#include "engine/report.h"
#include "engine/term_search.h"
#include "textstore/code_converter.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>

namespace vesk {
namespace {

constexpr char16_t kSpace = u' ';
constexpr char16_t kIdeographicSpace = u'\u3000';

// A keyword's terms in order (views into keyword, which keeps them as long as
// it lives) after every U+0020 is written over with U+3000. Only U+0020
// separates terms here: callers turn U+3000 into U+0020 first.
std::vector<std::u16string_view> SplitTerms(std::u16string& keyword)
{
    std::vector<std::u16string_view> terms;
    std::size_t begin = 0;
    for (std::size_t i = 0; i <= keyword.size(); ++i) {
        if (i < keyword.size() && keyword[i] != kSpace)
            continue;
        if (i > begin)
            terms.push_back(std::u16string_view(keyword).substr(begin, i - begin));
        if (i < keyword.size())
            keyword[i] = kIdeographicSpace;
        begin = i + 1;
    }
    return terms;
}

// How often each distinct term occurs in a keyword, and what its first search
// found out. A term that occurs again adds its counts once more and no new
// page, under "and" as under "or" (its pages are all in the results already,
// or the results are empty), so it is searched once with its counts taken as
// many times as it occurs; the arrays come out exactly as when every
// occurrence is searched in turn.
struct TermUse {
    std::uint32_t occurrences = 0;
    bool searched = false;
    bool ready = false; // the term had something to search
};

bool StrictlyAscending(std::span<const std::uint32_t> pages)
{
    return std::adjacent_find(pages.begin(), pages.end(), std::greater_equal<std::uint32_t>()) == pages.end();
}

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

// Room in the result arrays for the added pages a term of termPages pages
// brings. Grown page by page they would copy themselves into fresh memory at
// every doubling (and a short process pays a page fault for every fresh
// 4 KiB); so the pages not yet found are counted first, and the arrays grow
// once: to what they need, or to twice their room when that is less than the
// term's pages could add (the next term then likely fits).
void CIndex::ReserveForUnion(std::size_t added, std::size_t termPages)
{
    const std::size_t needed = m_arrPages.size() + added;
    if (needed <= m_arrPages.capacity())
        return;
    const std::size_t room =
        std::max(needed, std::min(2 * m_arrPages.capacity(), m_arrPages.size() + termPages));
    m_arrPages.reserve(room);
    m_arrCounts.reserve(room);
}

void CIndex::Combine(std::vector<std::uint32_t>&& pages, std::vector<std::uint32_t>&& counts, int mode,
                     std::uint32_t repeats, ResultIndex& index)
{
    // Counts are 32-bit and wrap: repeats × count is the sum of repeats
    // additions of count. A term's pages ascend strictly, so uniting them
    // with no results is taking them as they are.
    const bool ascending = StrictlyAscending(pages);
    if (mode == kSearchReplace || (mode == kSearchUnite && m_arrPages.empty() && ascending)) {
        // Swapped, not moved: the term's arrays keep the results' old room
        // for the next term.
        m_arrPages.swap(pages);
        m_arrCounts.swap(counts);
        if (repeats != 1)
            for (std::uint32_t& count : m_arrCounts)
                count *= repeats;
        index.MarkStale();
    } else if (mode == kSearchUnite && ascending && !index.IsCurrent() && m_unionRuns.Split(m_arrPages)) {
        // The term's pages ascend strictly and the results are a few runs
        // that do (the terms of an "or": the first term's pages, then the
        // pages each later one added): the pages they share are found by one
        // merge per run, and the others appended in the term's order, as
        // the map would have found and appended them (a term's page never
        // meets one appended before it).
        std::size_t added = 0;
        for (const std::uint32_t page : pages)
            added += m_unionRuns.Find(m_arrPages, page) == AscendingRuns::kNone;
        ReserveForUnion(added, pages.size());
        m_unionRuns.Rewind();
        const std::size_t held = m_arrPages.size();
        for (std::size_t j = 0; j < pages.size(); ++j) {
            const std::size_t at = m_unionRuns.Find(std::span(m_arrPages).first(held), pages[j]);
            if (at != AscendingRuns::kNone) {
                m_arrCounts[at] += counts[j] * repeats;
            } else {
                m_arrPages.push_back(pages[j]);
                m_arrCounts.push_back(counts[j] * repeats);
            }
        }
        index.MarkStale();
    } else if (mode == kSearchIntersect && ascending && StrictlyAscending(m_arrPages)) {
        // Both lists ascend strictly (as every "and" search keeps them): the
        // pages they share, in the new list's order, are found by one merge
        // and kept in place, without the map or new arrays.
        std::size_t kept = 0, j = 0;
        for (std::size_t i = 0; i < m_arrPages.size() && j < pages.size(); ++i) {
            while (j < pages.size() && pages[j] < m_arrPages[i])
                ++j;
            if (j < pages.size() && pages[j] == m_arrPages[i]) {
                m_arrPages[kept] = m_arrPages[i];
                m_arrCounts[kept] = counts[j] * repeats + m_arrCounts[i];
                ++kept;
                ++j;
            }
        }
        m_arrPages.resize(kept);
        m_arrCounts.resize(kept);
        index.MarkStale();
    } else {
        if (!index.IsCurrent())
            index.Rebuild(m_arrPages);
        if (mode == kSearchUnite) {
            index.MakeRoom(pages);
            std::size_t added = 0;
            for (std::size_t i = 0; i < pages.size(); ++i)
                added += index.Find(pages[i]) == ResultIndex::kNone && (i == 0 || pages[i] != pages[i - 1]);
            ReserveForUnion(added, pages.size());
            for (std::size_t i = 0; i < pages.size(); ++i) {
                const std::size_t at = index.Find(pages[i]);
                if (at == ResultIndex::kNone) {
                    index.Add(pages[i], m_arrPages.size());
                    m_arrPages.push_back(pages[i]);
                    m_arrCounts.push_back(counts[i] * repeats);
                } else {
                    m_arrCounts[at] += counts[i] * repeats;
                }
            }
        } else {
            std::vector<std::uint32_t> keptPages, keptCounts;
            for (std::size_t i = 0; i < pages.size(); ++i) {
                const std::size_t at = index.Find(pages[i]);
                if (at == ResultIndex::kNone)
                    continue;
                keptPages.push_back(pages[i]);
                keptCounts.push_back(counts[i] * repeats + m_arrCounts[at]);
            }
            index.Remove(m_arrPages);
            m_arrPages = std::move(keptPages);
            m_arrCounts = std::move(keptCounts);
            index.AddAll(m_arrPages);
        }
    }
    m_nResults = static_cast<std::int32_t>(m_arrPages.size());
}

bool CIndex::CombineTerm(std::u16string_view term, int mode, bool useVariants, std::uint32_t repeats,
                         ResultIndex& index)
{
    TermPlan plan;
    const TermPlanStatus status =
        PlanTerm(term, useVariants, m_variantGroups, m_bOpen ? FirstBlocks() : std::span<const std::int32_t>{}, plan);
    if (status != TermPlanStatus::Ready) {
        if (mode != kSearchUnite) {
            index.MarkStale();
            m_arrPages.clear();
            m_arrCounts.clear();
            m_nResults = 0;
        }
        return false;
    }
    // The term's arrays reuse the room of earlier terms: a frequent
    // character's are megabytes, and fresh memory costs a page fault every
    // 4 KiB. Nothing found earlier is read.
    std::vector<std::uint32_t>& pages = m_termPages;
    std::vector<std::uint32_t>& counts = m_termCounts;
    pages.clear();
    counts.clear();
    ScanFault fault;
    const PostingTables tables{PostingData(), FirstBlocks(), LastPages(), BlockLinks(), &m_skipTables,
                               &m_sharedScanRoom};
    // A term with one cursor finds every page of its key's stream, counted,
    // as the page-count index lists them; a phrase may be found from the
    // pair index. Either leaves the term to the posting streams when its file
    // is missing, stale or damaged for the term.
    const bool fast = m_scanMethod != ScanMethod::StepByStep;
    const std::uint32_t firstKey = plan.cursors[0].key;
    const bool answered = fast && (plan.cursors.size() == 1
                                       ? m_pageCounts.Read(firstKey, LastPages()[firstKey], pages, counts)
                                       : ScanPhraseByPairs(plan, m_pairs, m_variantGroups, pages, counts));
    if (!answered && !ScanTerm(plan, tables, pages, counts, fault, m_scanMethod)) {
        ReportScanFault(fault); // the term finds nothing
        pages.clear();
        counts.clear();
    }
    Combine(std::move(pages), std::move(counts), mode, repeats, index);
    return true;
}

int CIndex::SearchTerm(std::u16string_view term, int mode, bool useVariants)
{
    ResultIndex index;
    index.MarkStale();
    return CombineTerm(term, mode, useVariants, 1, index) ? m_nResults : 0;
}

int CIndex::SearchKeyword(std::u16string& keyword, bool useVariants, bool intersect)
{
    if (CheckKeyword(keyword) == 0)
        return 0;
    m_arrPages.clear();
    m_arrCounts.clear();
    m_nResults = 0;
    const std::vector<std::u16string_view> terms = SplitTerms(keyword);
    std::unordered_map<std::u16string_view, TermUse> uses;
    for (std::u16string_view term : terms)
        ++uses[term].occurrences;
    // The map's room is reused from search to search; stale, it holds
    // nothing until the first combination that needs it rebuilds it.
    ResultIndex& index = m_resultIndex;
    index.MarkStale();
    int sum = 0;
    for (std::size_t i = 0; i < terms.size(); ++i) {
        // Once an intersection is empty, further terms cannot change it.
        if (intersect && i > 0 && m_nResults == 0)
            break;
        TermUse& use = uses[terms[i]];
        if (!use.searched) {
            const int mode = !intersect ? kSearchUnite : i == 0 ? kSearchReplace : kSearchIntersect;
            use.ready = CombineTerm(terms[i], mode, useVariants, use.occurrences, index);
            use.searched = true;
        }
        sum += use.ready ? m_nResults : 0;
    }
    return sum;
}

int CIndex::SearchAnd(std::u16string& keyword, bool useVariants)
{
    return SearchKeyword(keyword, useVariants, true);
}

int CIndex::SearchOr(std::u16string& keyword, bool useVariants)
{
    return SearchKeyword(keyword, useVariants, false);
}

} // namespace vesk
