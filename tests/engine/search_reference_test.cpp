// The search against a plain transcription of the page search over decoded
// position lists: phrases, "?" and "*" terms, with the gap flag kept from page
// to page. It pins the places counted by the forward scan where no simple
// count exists (gaps), and checks that the engine's shortcuts for one
// character and for terms without "*" change nothing.
#include "support/data_folder.h"
#include "support/search_helpers.h"
#include "textstore/code_converter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace vesk {
namespace {

using test::Hits;

const std::u16string kAlphabet = u"甲乙丙丁戊己庚";
constexpr char16_t kRare = u'辛';

char16_t Class(char16_t c, bool useVariants)
{
    return useVariants && c == u'乙' ? u'甲' : c;
}

// The term's cursors and segments, as the search builds them: "*" runs
// collapse, a leading "*" goes, a final "*" closes the last segment, and
// segments without characters take no part.
struct Plan {
    std::vector<char16_t> characters;
    std::vector<std::uint32_t> termPositions;
    std::vector<std::pair<std::size_t, std::size_t>> segments; // [begin, end)
    std::uint32_t positions = 0;
};

Plan MakePlan(const std::u16string& term)
{
    Plan plan;
    std::size_t begin = 0;
    bool pendingStar = false;
    for (char16_t c : term + u"*") {
        if (c == u'*') {
            pendingStar = true;
            continue;
        }
        if (pendingStar && (plan.positions > 0 || !plan.characters.empty())) {
            if (plan.characters.size() > begin)
                plan.segments.emplace_back(begin, plan.characters.size());
            begin = plan.characters.size();
        }
        pendingStar = false;
        if (c != u'?') {
            plan.characters.push_back(c);
            plan.termPositions.push_back(plan.positions);
        }
        ++plan.positions;
    }
    if (plan.characters.size() > begin)
        plan.segments.emplace_back(begin, plan.characters.size());
    return plan;
}

Hits ReferenceSearch(const std::vector<std::u16string>& pages, const std::u16string& term, bool useVariants)
{
    const Plan plan = MakePlan(term);
    Hits hits;
    if (plan.characters.empty())
        return hits;
    const std::size_t n = plan.characters.size();
    bool gap = false; // kept from pass to pass and page to page
    for (std::uint32_t page = 0; page < pages.size(); ++page) {
        std::vector<std::vector<std::uint32_t>> lists(n);
        for (std::size_t i = 0; i < n; ++i)
            for (std::uint32_t p = 0; p < pages[page].size(); ++p)
                if (Class(pages[page][p], useVariants) == Class(plan.characters[i], useVariants))
                    lists[i].push_back(p);
        if (std::any_of(lists.begin(), lists.end(), [](const auto& l) { return l.empty(); }))
            continue;
        std::vector<std::size_t> at(n, 0);
        std::vector<std::uint32_t> aligned(n);
        const auto align = [&](std::size_t i) { aligned[i] = plan.positions - plan.termPositions[i] - 1 + lists[i][at[i]]; };
        const auto largest = [&](std::size_t end) { return *std::max_element(aligned.begin(), aligned.begin() + static_cast<std::ptrdiff_t>(end)); };
        for (std::size_t i = 0; i < n; ++i)
            align(i);
        std::uint32_t count = 0;
        for (bool pageLeft = true; pageLeft;) {
            bool ok = true;
            std::size_t failing = 0;
            std::uint32_t goal = largest(plan.segments[0].second);
            for (std::size_t s = 0; s < plan.segments.size() && ok; ++s)
                for (std::size_t i = plan.segments[s].first + 1; i < plan.segments[s].second && ok; ++i)
                    if (aligned[i] != aligned[i - 1]) {
                        ok = false;
                        failing = s;
                        goal = largest(plan.segments[s].second);
                    }
            for (std::size_t f = 0; ok && f + 1 < plan.segments.size(); ++f) {
                const std::uint32_t a = aligned[plan.segments[f].second - 1];
                const std::uint32_t b = aligned[plan.segments[f + 1].first];
                gap = false;
                if (b < a) {
                    ok = false;
                    failing = f;
                    goal = largest(plan.segments[f].second);
                } else if (b - a > 300) {
                    gap = true;
                    ok = false;
                    failing = f;
                    goal = largest(n);
                }
            }
            if (ok) {
                ++count;
                ++goal;
            }
            const std::size_t first = gap || failing == 0 ? 0 : plan.segments[failing].first;
            for (std::size_t i = first; i < n && pageLeft; ++i) {
                if (aligned[i] >= goal)
                    continue;
                if (at[i] + 1 == lists[i].size())
                    pageLeft = false;
                else {
                    ++at[i];
                    align(i);
                }
            }
        }
        if (count > 0)
            hits.emplace_back(page, count);
    }
    return hits;
}

std::u16string RandomTerm(std::mt19937& random)
{
    std::u16string term;
    for (std::size_t i = 0, length = 2 + random() % 6; i < length; ++i) {
        const unsigned pick = random() % 10;
        term += pick < 2 ? u'*' : pick < 3 ? u'?' : pick < 4 ? kRare : kAlphabet[random() % kAlphabet.size()];
    }
    return term;
}

TEST(SearchReference, StarTermsCountWhatTheForwardScanFinds)
{
    std::mt19937 random(99);
    std::vector<std::u16string> pages;
    std::vector<std::string> cells;
    for (int p = 0; p < 240; ++p) {
        std::u16string text;
        for (std::size_t i = 0, length = 10 + random() % 900; i < length; ++i)
            text += random() % 300 == 0 ? kRare : kAlphabet[random() % kAlphabet.size()];
        std::string cell;
        for (char16_t c : text)
            cell += std::string{static_cast<char>(0xE0 | (c >> 12)), static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
                                static_cast<char>(0x80 | (c & 0x3F))};
        pages.push_back(text);
        cells.push_back(cell);
    }
    test::TempDir dir;
    test::CorpusBuilder builder;
    builder.Category("類").Work("書").Variants("7532,4E59\n");
    for (int v = 0; v < 3; ++v)
        builder.Volume("巻", std::vector<std::string>(cells.begin() + v * 80, cells.begin() + (v + 1) * 80));
    build::WriteOptions options;
    options.interleaveBlocks = true;
    ASSERT_TRUE(test::MakeDataFolder(builder.corpus(), dir.path(), options));
    CIndex index;
    ASSERT_EQ(index.Open(dir.path(), "Index", kIndexWhole), 1);

    std::vector<std::u16string> terms = {u"辛*辛", u"甲*?*乙", u"*辛**甲*", u"辛?*辛", u"甲乙*丙?丁", u"辛"};
    for (int i = 0; i < 200; ++i)
        terms.push_back(RandomTerm(random));
    int withHits = 0;
    for (std::size_t i = 0; i < terms.size(); ++i) {
        const bool useVariants = i % 4 == 3;
        std::string shown;
        Utf16ToUtf8(terms[i], shown, true);
        SCOPED_TRACE(shown + (useVariants ? " (variants)" : ""));
        const Hits expected = ReferenceSearch(pages, terms[i], useVariants);
        EXPECT_EQ(test::Search(index, terms[i], false, useVariants), expected);
        withHits += expected.empty() ? 0 : 1;
    }
    EXPECT_GT(withHits, 100);
}

} // namespace
} // namespace vesk
