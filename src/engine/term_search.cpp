#include "engine/term_search.h"

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

} // namespace vesk
