#include "engine/term_search.h"

#include "engine/posting_cursor.h"
#include "textstore/code_converter.h"

#include <algorithm>

namespace vesk {
namespace {

constexpr char16_t kStar = u'*';
constexpr char16_t kQuestion = u'?';
constexpr char16_t kFullWidthQuestion = u'\uFF1F';

bool IsSurrogatePair(std::u16string_view s, std::size_t i)
{
    return i + 1 < s.size() && IsHighSurrogate(s[i]) && IsLowSurrogate(s[i + 1]);
}

struct TermCursor {
    PostingCursor posting;
    std::uint32_t lastPage = 0;
    std::uint32_t termPosition = 0;
    std::uint32_t key = 0;
};

// The state of one term's scan over its cursors.
class TermScan {
public:
    TermScan(const TermPlan& plan, const PostingTables& tables);

    bool Run(std::vector<std::uint32_t>& pages, std::vector<std::uint32_t>& counts, ScanFault& fault);

private:
    enum class PageEnd { UsedUp, Damaged };
    PageEnd SearchPage(std::uint32_t page, std::vector<std::uint32_t>& pages, std::vector<std::uint32_t>& counts);
    PageEnd SearchPhrasePage(std::uint32_t page, std::vector<std::uint32_t>& pages, std::vector<std::uint32_t>& counts);
    std::uint32_t LargestAligned(std::uint32_t endCursor) const;
    bool Fault(const TermCursor& cursor, ScanFault& fault) const;

    const TermPlan& m_plan;
    std::vector<TermCursor> m_cursors;
    // aligned of each cursor: its character's position plus the number of
    // term positions after it (the place where the term would end)
    std::vector<std::uint32_t> m_aligned;
    bool m_bGap = false; // the gap flag: kept from pass to pass, clear at the start of the term
};

TermScan::TermScan(const TermPlan& plan, const PostingTables& tables) : m_plan(plan)
{
    m_cursors.reserve(plan.cursors.size());
    for (const TermCursorSpec& spec : plan.cursors) {
        TermCursor cursor;
        cursor.posting = PostingCursor(tables.data, tables.links,
                                       static_cast<std::uint32_t>(tables.firstBlocks[spec.key]));
        cursor.lastPage = tables.lastPages[spec.key];
        cursor.termPosition = spec.termPosition;
        cursor.key = spec.key;
        m_cursors.push_back(std::move(cursor));
    }
    m_aligned.assign(m_cursors.size(), 0);
}

bool TermScan::Fault(const TermCursor& cursor, ScanFault& fault) const
{
    fault.key = cursor.key;
    fault.offset = cursor.posting.Stream().FaultOffset();
    fault.fault = cursor.posting.Stream().Fault();
    return false;
}

std::uint32_t TermScan::LargestAligned(std::uint32_t endCursor) const
{
    std::uint32_t largest = m_aligned[0];
    for (std::uint32_t i = 1; i < endCursor; ++i)
        largest = std::max(largest, m_aligned[i]);
    return largest;
}

bool TermScan::Run(std::vector<std::uint32_t>& pages, std::vector<std::uint32_t>& counts, ScanFault& fault)
{
    for (TermCursor& cursor : m_cursors)
        if (!cursor.posting.ReadPageHeader())
            return Fault(cursor, fault);
    for (;;) {
        // Align the cursors on the largest page among them.
        std::uint32_t target = m_cursors[0].posting.Page();
        bool same = true;
        for (std::size_t i = 1; i < m_cursors.size(); ++i) {
            const std::uint32_t page = m_cursors[i].posting.Page();
            if (page != target) {
                same = false;
                target = std::max(target, page);
            }
        }
        if (same) {
            if (SearchPage(target, pages, counts) == PageEnd::Damaged)
                for (const TermCursor& cursor : m_cursors)
                    if (cursor.posting.Stream().Failed())
                        return Fault(cursor, fault);
            if (target == UINT32_MAX)
                return true; // no page can follow
            target += 1;
        }
        for (TermCursor& cursor : m_cursors) {
            while (cursor.posting.Page() < target) {
                if (cursor.posting.Page() == cursor.lastPage)
                    return true;
                if (!cursor.posting.SkipPositions() || !cursor.posting.ReadPageHeader())
                    return Fault(cursor, fault);
            }
        }
    }
}

TermScan::PageEnd TermScan::SearchPage(std::uint32_t page, std::vector<std::uint32_t>& pages,
                                       std::vector<std::uint32_t>& counts)
{
    const std::uint32_t positions = m_plan.termPositions;
    const std::vector<TermSegment>& segments = m_plan.segments;
    const auto cursorCount = static_cast<std::uint32_t>(m_cursors.size());
    for (std::size_t i = 0; i < m_cursors.size(); ++i) {
        std::uint32_t first = 0;
        if (!m_cursors[i].posting.ReadPosition(first))
            return PageEnd::Damaged;
        m_aligned[i] = (positions - m_cursors[i].termPosition - 1) + first;
    }
    if (cursorCount == 1) {
        // One character: every position is a place (each pass finds one and
        // steps to the next), so the count is the number of positions.
        const std::uint32_t more = m_cursors[0].posting.CountPositions();
        if (m_cursors[0].posting.Stream().Failed())
            return PageEnd::Damaged;
        pages.push_back(page);
        counts.push_back(1 + more);
        return PageEnd::UsedUp;
    }
    if (segments.size() == 1)
        return SearchPhrasePage(page, pages, counts);
    std::uint32_t count = 0;
    for (;;) {
        bool ok = true;
        std::size_t failing = 0;
        std::uint32_t goal = LargestAligned(segments[0].end);
        // Phrase test: the cursors of a segment stand at their distances in the term.
        for (std::size_t s = 0; s < segments.size() && ok; ++s) {
            for (std::uint32_t i = segments[s].begin + 1; i < segments[s].end; ++i) {
                if (m_aligned[i] != m_aligned[i - 1]) {
                    ok = false;
                    failing = s;
                    goal = LargestAligned(segments[s].end);
                    break;
                }
            }
        }
        // Gap test: each segment begins after the previous one and at most 300 later.
        if (ok) {
            for (std::size_t f = 0; f + 1 < segments.size(); ++f) {
                const std::uint32_t a = m_aligned[segments[f].end - 1];
                const std::uint32_t b = m_aligned[segments[f + 1].begin];
                m_bGap = false;
                if (b < a) {
                    ok = false;
                    failing = f;
                    goal = LargestAligned(segments[f].end);
                    break;
                }
                if (b - a > kMaxGap) {
                    m_bGap = true;
                    ok = false;
                    failing = f;
                    goal = LargestAligned(cursorCount);
                    break;
                }
            }
        }
        if (ok) {
            if (count == 0) {
                pages.push_back(page);
                counts.push_back(1);
                count = 1;
            } else {
                counts.back() = ++count;
            }
            if (goal == UINT32_MAX)
                return PageEnd::UsedUp; // no position can lie beyond it
            goal += 1;
        }
        // Step the cursors that lag behind the goal.
        const std::uint32_t first = (m_bGap || failing == 0) ? 0 : segments[failing].begin;
        bool moved = false;
        for (std::uint32_t i = first; i < cursorCount; ++i) {
            if (m_aligned[i] >= goal)
                continue;
            PostingCursor& posting = m_cursors[i].posting;
            if (posting.Remaining() == 0)
                return PageEnd::UsedUp;
            std::uint32_t delta = 0;
            if (!posting.ReadPosition(delta))
                return PageEnd::Damaged;
            if (m_aligned[i] > UINT32_MAX - delta)
                return PageEnd::UsedUp; // positions beyond any page: nothing more to find
            m_aligned[i] += delta;
            moved = true;
        }
        if (!moved)
            return PageEnd::UsedUp;
    }
}

// The page search of a term without "*": one segment, so there is no gap test
// (and the gap flag stays clear). Each pass: the goal is the largest aligned
// value; all cursors equal is a place, which moves the goal one on; every
// cursor below the goal reads its next position. A cursor still below the
// goal after one read would be below the next pass's goal too (that goal is
// at least this one) and no place can be found while it lags, so it reads on
// until it reaches the goal: the same places, with fewer passes.
TermScan::PageEnd TermScan::SearchPhrasePage(std::uint32_t page, std::vector<std::uint32_t>& pages,
                                             std::vector<std::uint32_t>& counts)
{
    const std::size_t n = m_cursors.size();
    std::uint32_t count = 0;
    for (;;) {
        std::uint32_t goal = m_aligned[0];
        std::uint32_t least = goal;
        for (std::size_t i = 1; i < n; ++i) {
            goal = std::max(goal, m_aligned[i]);
            least = std::min(least, m_aligned[i]);
        }
        if (least == goal) {
            if (count == 0) {
                pages.push_back(page);
                counts.push_back(1);
                count = 1;
            } else {
                counts.back() = ++count;
            }
            if (goal == UINT32_MAX)
                return PageEnd::UsedUp;
            goal += 1;
        }
        for (std::size_t i = 0; i < n; ++i) {
            PostingCursor& posting = m_cursors[i].posting;
            std::uint32_t aligned = m_aligned[i];
            while (aligned < goal) {
                if (posting.Remaining() == 0)
                    return PageEnd::UsedUp;
                std::uint32_t delta = 0;
                if (!posting.ReadPosition(delta))
                    return PageEnd::Damaged;
                if (aligned > UINT32_MAX - delta)
                    return PageEnd::UsedUp;
                aligned += delta;
            }
            m_aligned[i] = aligned;
        }
    }
}

} // namespace

std::u16string NormaliseStars(std::u16string_view term)
{
    std::u16string out;
    out.reserve(term.size() + 1);
    for (char16_t unit : term) {
        if (unit == kStar && (out.empty() || out.back() == kStar))
            continue;
        out.push_back(unit);
    }
    if (!out.empty() && out.back() != kStar)
        out.push_back(kStar);
    return out;
}

std::u16string DropKeylessCharacters(std::u16string_view term)
{
    std::u16string out;
    out.reserve(term.size());
    for (std::size_t i = 0; i < term.size(); ++i) {
        const char16_t unit = term[i];
        if (unit == kStar || unit == kQuestion) {
            out.push_back(unit);
        } else if (IsSurrogatePair(term, i)) {
            if (CodePointToSlot(CombineSurrogates(unit, term[i + 1])) >= 0)
                out.append(term.substr(i, 2));
            ++i;
        } else if (CodePointToSlot(unit) >= 0) {
            out.push_back(unit);
        }
    }
    return out;
}

TermPlanStatus PlanTerm(std::u16string_view term, bool useVariants, const VariantTable& variants,
                        std::span<const std::int32_t> firstBlocks, TermPlan& plan)
{
    plan = {};
    const std::u16string normalised = NormaliseStars(term);
    if (normalised.size() > kMaxNormalisedTermUnits)
        return TermPlanStatus::Rejected;
    const std::u16string kept = DropKeylessCharacters(normalised);

    std::uint32_t t = 0;
    std::uint32_t segmentBegin = 0;
    std::size_t segmentsSeen = 0;
    for (std::size_t i = 0; i < kept.size(); ++i) {
        const char16_t unit = kept[i];
        if (unit == kStar) {
            const auto end = static_cast<std::uint32_t>(plan.cursors.size());
            if (end > segmentBegin)
                plan.segments.push_back({segmentBegin, end});
            segmentBegin = end;
            ++segmentsSeen;
            continue;
        }
        if (unit == kQuestion || unit == kFullWidthQuestion) {
            ++t;
            continue;
        }
        char32_t codePoint = unit;
        if (IsSurrogatePair(kept, i)) {
            codePoint = CombineSurrogates(unit, kept[i + 1]);
            ++i;
        }
        std::uint32_t key = static_cast<std::uint32_t>(CodePointToSlot(codePoint));
        if (useVariants)
            variants.FindKey(codePoint, key);
        if (key >= firstBlocks.size() || firstBlocks[key] == -1) {
            plan = {};
            return TermPlanStatus::NoCursors;
        }
        plan.cursors.push_back({key, t});
        ++t;
    }
    plan.termPositions = t;
    if (plan.cursors.size() > kMaxTermCursors || segmentsSeen > kMaxTermSegments) {
        plan = {};
        return TermPlanStatus::Rejected;
    }
    if (plan.cursors.empty()) {
        plan = {};
        return TermPlanStatus::NoCursors;
    }
    return TermPlanStatus::Ready;
}

bool ScanTerm(const TermPlan& plan, const PostingTables& tables, std::vector<std::uint32_t>& pages,
              std::vector<std::uint32_t>& counts, ScanFault& fault)
{
    if (plan.cursors.empty() || plan.segments.empty())
        return true;
    TermScan scan(plan, tables);
    return scan.Run(pages, counts, fault);
}

} // namespace vesk
