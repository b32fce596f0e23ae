// The meaning of keywords: phrases, "?" and "？", "*" and its limits, keyless
// characters, and/or, rejection, overlapping places and variant groups, each
// pinned by the exact result arrays on a small corpus.
#include "support/data_folder.h"
#include "support/search_helpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace vesk {
namespace {

using test::Hits;

std::string Repeat(const std::string& s, int n)
{
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

std::u16string Repeat16(const std::u16string& s, int n)
{
    std::u16string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

class SearchSemantics : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_dir = new test::TempDir;
        const auto corpus = test::CorpusBuilder()
                                .Category("類")
                                .Work("書")
                                .Volume("巻",
                                        {
                                            "甲乙",                                 // 0
                                            "甲丙乙",                               // 1
                                            "乙甲",                                 // 2
                                            "甲甲甲",                               // 3
                                            "甲乙丁甲乙丁甲乙",                     // 4
                                            "甲、乙",                               // 5
                                            "甲" + Repeat("丙", 300) + "乙",        // 6
                                            "甲" + Repeat("丙", 301) + "乙",        // 7
                                            "戊",                                   // 8
                                            Repeat("甲", 301),                      // 9
                                            "己\xF0\xA0\x80\x80庚",                 // 10: U+20000 between
                                        })
                                .Variants("5DF1,5E9A\n") // 己 and 庚 in one group
                                .Take();
        ASSERT_TRUE(test::MakeDataFolder(corpus, s_dir->path()));
    }
    static void TearDownTestSuite()
    {
        delete s_dir;
        s_dir = nullptr;
    }
    void SetUp() override { ASSERT_EQ(m_index.Open(s_dir->path(), "Index", kIndexWhole), 1); }

    static test::TempDir* s_dir;
    CIndex m_index;
};

test::TempDir* SearchSemantics::s_dir = nullptr;

TEST_F(SearchSemantics, KeywordsGiveTheseArrays)
{
    struct Case {
        const char* what;
        std::u16string keyword;
        bool useOr;
        Hits hits;
    };
    const Hits aThenB = {{0, 1}, {1, 1}, {4, 3}, {5, 1}, {6, 1}};
    const Case cases[] = {
        {"phrase", u"甲乙", false, {{0, 1}, {4, 3}}},
        {"keyless punctuation joins its neighbours", u"甲、乙", false, {{0, 1}, {4, 3}}},
        {"? stands for one position, also a keyless one", u"甲?乙", false, {{1, 1}, {5, 1}}},
        {"full-width ？ as well", u"甲？乙", false, {{1, 1}, {5, 1}}},
        {"* spans 0 to 300 characters", u"甲*乙", false, aThenB},
        {"leading * is dropped", u"*甲*乙", false, aThenB},
        {"runs of * act as one", u"甲***乙", false, aThenB},
        {"trailing * changes nothing", u"甲乙*", false, {{0, 1}, {4, 3}}},
        {"overlapping places count each", u"甲甲", false, {{3, 2}, {9, 300}}},
        {"* alone finds nothing", u"*", false, {}},
        {"? alone finds nothing", u"?", false, {}},
        {"and: second term's page order, summed counts", u"甲乙 丁", false, {{4, 5}}},
        {"and over every page of the second term", u"甲 乙", false,
         {{0, 2}, {1, 2}, {2, 2}, {4, 6}, {5, 2}, {6, 2}, {7, 2}}},
        {"or: first term's pages, then the second's new pages", u"乙 甲", true,
         {{0, 2}, {1, 2}, {2, 2}, {4, 6}, {5, 2}, {6, 2}, {7, 2}, {3, 3}, {9, 301}}},
        {"and with a character without postings", u"甲 辛", false, {}},
        {"or keeps the other term's pages", u"辛 戊", true, {{8, 1}}},
        {"a term of keyless characters finds nothing", u"戊 、", false, {}},
        {"above U+FFFF", u"己\xD840\xDC00庚", false, {{10, 1}}},
        {"a lone surrogate has no key and drops out", u"己\xD840庚", false, {}},
        {"doubled separators", u"甲乙  丁", false, {{4, 5}}},
        // Working limits: 300 searchable characters still search, 301 are rejected.
        {"300 characters", Repeat16(u"甲", 300), false, {{9, 2}}},
        {"301 characters are rejected", Repeat16(u"甲", 301), false, {}},
        {"319 units after normalising", u"戊" + Repeat16(u"?", 317), false, {{8, 1}}},
        {"320 units are rejected", u"戊" + Repeat16(u"?", 318), false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(test::Search(m_index, c.keyword, c.useOr), c.hits);
        EXPECT_EQ(m_index.m_nResults, static_cast<std::int32_t>(c.hits.size()));
    }
}

TEST_F(SearchSemantics, GapIsMeasuredFromTheEndOfThePreviousSegment)
{
    // 甲?*乙: B at 2 .. 302 positions after A.
    EXPECT_EQ(test::Search(m_index, u"甲?*乙"), (Hits{{1, 1}, {4, 2}, {5, 1}, {6, 1}, {7, 1}}));
    // A "?"-only segment between two "*" widens the gap like a "?" before the next segment.
    EXPECT_EQ(test::Search(m_index, u"甲*?*乙"), test::Search(m_index, u"甲?*乙"));
    EXPECT_EQ(test::Search(m_index, u"甲*?乙"), test::Search(m_index, u"甲?*乙"));
    // A segment emptied by a keyless character takes no part either.
    EXPECT_EQ(test::Search(m_index, u"甲*、*乙"), test::Search(m_index, u"甲*乙"));
    // B at the same place as A or before it never matches.
    EXPECT_EQ(test::Search(m_index, u"乙*甲"), (Hits{{2, 1}, {4, 2}}));
}

TEST_F(SearchSemantics, RejectedKeywordLeavesResultsAndReportsZero)
{
    EXPECT_EQ(test::Search(m_index, u"甲乙"), (Hits{{0, 1}, {4, 3}}));
    for (const std::u16string keyword : {u"甲a", u"1", u"", u"  ", u"甲\t乙"}) {
        std::u16string buffer = keyword;
        EXPECT_EQ(CIndex::CheckKeyword(keyword), 0);
        EXPECT_EQ(m_index.SearchAnd(buffer, false), 0);
        EXPECT_EQ(m_index.SearchOr(buffer, false), 0);
        EXPECT_EQ(buffer, keyword) << "a rejected keyword is not rewritten";
        EXPECT_EQ(test::ResultHits(m_index), (Hits{{0, 1}, {4, 3}}));
    }
    EXPECT_EQ(CIndex::CheckKeyword(u"甲 乙\u3000丙"), 3);
    EXPECT_EQ(CIndex::CheckKeyword(u"*? 甲"), 2);
}

TEST_F(SearchSemantics, SeparatorsBecomeIdeographicSpacesAndResultsAreSummed)
{
    std::u16string keyword = u"甲乙 丁 ";
    EXPECT_EQ(m_index.SearchAnd(keyword, false), 2 + 1);
    EXPECT_EQ(keyword, u"甲乙\u3000丁\u3000");
    keyword = u"乙 甲";
    EXPECT_EQ(m_index.SearchOr(keyword, false), 7 + 9);
    EXPECT_EQ(keyword, u"乙\u3000甲");
}

// The keyword search as defined: every term searched in turn with SearchTerm,
// the first replacing the results, the others intersected or united.
int SearchTermByTerm(CIndex& index, std::u16string_view keyword, bool useOr, bool useVariants)
{
    index.m_arrPages.clear();
    index.m_arrCounts.clear();
    index.m_nResults = 0;
    int sum = 0;
    bool first = true;
    std::size_t begin = 0;
    for (std::size_t i = 0; i <= keyword.size(); ++i) {
        if (i < keyword.size() && keyword[i] != u' ')
            continue;
        if (i > begin) {
            const int mode = useOr ? kSearchUnite : first ? kSearchReplace : kSearchIntersect;
            sum += index.SearchTerm(keyword.substr(begin, i - begin), mode, useVariants);
            first = false;
        }
        begin = i + 1;
    }
    return sum;
}

TEST_F(SearchSemantics, RepeatedTermsGiveTheArraysOfSearchingEveryTermInTurn)
{
    // Repeats next to each other and apart, terms without postings (子) or
    // beyond the limits, wildcards, variant groups and a term that
    // empties an intersection before a repeat.
    const std::u16string longTerm(400, u'甲');
    const std::u16string keywords[] = {
        u"甲乙 甲乙",          u"甲 乙 甲",         u"乙 甲乙 乙 甲乙 乙",  u"甲 子 甲",   u"子 甲 子",
        u"甲*乙 甲?乙 甲*乙",  u"己 庚 己 庚",       u"甲甲 甲 甲甲 甲甲",   u"甲 戊 甲",  u"乙 甲 " + longTerm + u" 甲",
        u"丙 甲乙丁 丙 丙",    u"甲乙丁甲乙 甲乙 甲乙丁甲乙 甲乙 甲",
    };
    for (const std::u16string& keyword : keywords) {
        for (const bool useOr : {false, true}) {
            for (const bool useVariants : {false, true}) {
                SCOPED_TRACE(testing::Message() << (useOr ? "or " : "and ") << (useVariants ? "variants " : "")
                                                << "keyword " << keyword.size() << " units, first "
                                                << static_cast<int>(keyword[0]));
                const int expectedSum = SearchTermByTerm(m_index, keyword, useOr, useVariants);
                const Hits expected = test::ResultHits(m_index);
                std::u16string buffer = keyword;
                const int sum = useOr ? m_index.SearchOr(buffer, useVariants) : m_index.SearchAnd(buffer, useVariants);
                EXPECT_EQ(sum, expectedSum);
                EXPECT_EQ(test::ResultHits(m_index), expected);
            }
        }
    }
}

// Combination as defined, by look-ups: "or" adds to the first equal entry
// or appends, "and" keeps the new list's pages found in the results, with
// the new count plus that of the first equal entry.
void CombineByDefinition(Hits& results, const Hits& term, int mode)
{
    const auto firstEqual = [&results](std::uint32_t page) {
        return std::find_if(results.begin(), results.end(), [page](const auto& hit) { return hit.first == page; });
    };
    if (mode == kSearchReplace) {
        results = term;
    } else if (mode == kSearchUnite) {
        for (const auto& [page, count] : term) {
            const auto at = firstEqual(page);
            if (at == results.end())
                results.emplace_back(page, count);
            else
                at->second += count;
        }
    } else {
        Hits kept;
        for (const auto& [page, count] : term)
            if (const auto at = firstEqual(page); at != results.end())
                kept.emplace_back(page, count + at->second);
        results = kept;
    }
}

TEST_F(SearchSemantics, TermsCombineAsDefinedWhateverTheOrderOfTheResults)
{
    // Sequences of SearchTerm with random modes: after "or" the results may
    // not ascend, after "replace" and "and" they do.
    const std::u16string terms[] = {u"甲", u"乙", u"丙", u"丁", u"戊", u"甲乙", u"乙甲", u"子", u"甲*乙"};
    std::mt19937 random(5);
    for (int round = 0; round < 200; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        m_index.m_arrPages.clear();
        m_index.m_arrCounts.clear();
        m_index.m_nResults = 0;
        Hits expected;
        for (int step = 0, steps = 1 + static_cast<int>(random() % 5); step < steps; ++step) {
            const std::u16string& term = terms[random() % std::size(terms)];
            const int mode = static_cast<int>(random() % 3);
            Hits alone;
            {
                CIndex single;
                ASSERT_EQ(single.Open(s_dir->path(), "Index", kIndexWhole), 1);
                single.SearchTerm(term, kSearchReplace, false);
                alone = test::ResultHits(single);
            }
            // A term with nothing to search leaves "or" alone and empties the rest.
            if (term == u"子" && mode != kSearchUnite)
                expected.clear();
            else
                CombineByDefinition(expected, alone, mode);
            m_index.SearchTerm(term, mode, false);
            ASSERT_EQ(test::ResultHits(m_index), expected) << "step " << step << ", mode " << mode;
        }
    }
}

TEST_F(SearchSemantics, VariantsSwapTheKeyForTheGroupKey)
{
    std::uint32_t key = 7;
    EXPECT_TRUE(m_index.FindVariantKey(0x5E9A, key));
    EXPECT_EQ(key, kFirstVariantKey);
    EXPECT_FALSE(m_index.FindVariantKey(0x7532, key));
    EXPECT_EQ(key, kFirstVariantKey);

    EXPECT_EQ(test::Search(m_index, u"己", false, false), (Hits{{10, 1}}));
    EXPECT_EQ(test::Search(m_index, u"己", false, true), (Hits{{10, 2}}));
    EXPECT_EQ(test::Search(m_index, u"己?庚", false, true), test::Search(m_index, u"己?己", false, true));
    EXPECT_EQ(test::Search(m_index, u"庚?己", false, true), (Hits{{10, 1}}));
    EXPECT_EQ(test::Search(m_index, u"庚?己", false, false), (Hits{}));
}

TEST_F(SearchSemantics, LayersSearchTheirOwnText)
{
    test::TempDir dir;
    const auto corpus = test::CorpusBuilder()
                            .Category("類")
                            .Work("書")
                            .Volume("巻", {"甲乙" + test::Note("丙丁"), "丙丁"})
                            .Take();
    ASSERT_TRUE(test::MakeDataFolder(corpus, dir.path()));
    CIndex index;
    ASSERT_EQ(index.Open(dir.path(), "Index", kIndexAnnotations), 1);
    EXPECT_EQ(test::Search(index, u"丙丁"), (Hits{{0, 1}}));
    EXPECT_EQ(test::Search(index, u"甲"), (Hits{}));
    ASSERT_EQ(index.Open(dir.path(), "Index", kIndexMain), 1);
    EXPECT_EQ(test::Search(index, u"丙丁"), (Hits{{1, 1}}));
    EXPECT_EQ(test::Search(index, u"乙丙"), (Hits{})) << "main text and notes do not join";
    ASSERT_EQ(index.Open(dir.path(), "Index", kIndexWhole), 1);
    EXPECT_EQ(test::Search(index, u"丙丁"), (Hits{{0, 1}, {1, 1}}));
    std::uint32_t length = 0;
    EXPECT_TRUE(index.GetRecordLength(1, length)) << "every type reads the plain page store";
}

TEST(ClosedIndex, FindsNothing)
{
    CIndex index;
    std::u16string keyword = u"甲";
    EXPECT_EQ(index.SearchAnd(keyword, false), 0);
    EXPECT_EQ(index.m_nResults, 0);
    EXPECT_TRUE(index.m_arrPages.empty());
    index.Close();
    index.Close();
    std::uint32_t length = 5;
    EXPECT_FALSE(index.GetRecordLength(0, length));
    EXPECT_EQ(length, 5u);
}

} // namespace
} // namespace vesk
