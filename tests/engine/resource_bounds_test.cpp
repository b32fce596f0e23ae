// Inputs made to exhaust the reader: a keyword with billions of variant
// spellings, a 1 MB keyword, a 10 MB page. Each must be answered, with the
// same answer a small input of the same shape gets, and within the bounds
// docs/reliability.md states. These tests only have to finish; their time
// is measured in bench/, not asserted here.
#include "engine/index.h"
#include "engine/variant_expansion.h"
#include "support/data_folder.h"
#include "support/search_helpers.h"
#include "textstore/code_converter.h"
#include "textstore/hit_page.h"

#include <gtest/gtest.h>

#include <numeric>

namespace vesk {
namespace {

using test::Hits;

std::string Repeat(std::string_view text, std::size_t times)
{
    std::string out;
    out.reserve(text.size() * times);
    for (std::size_t i = 0; i < times; ++i)
        out += text;
    return out;
}

std::u16string Repeat(std::u16string_view text, std::size_t times)
{
    std::u16string out;
    out.reserve(text.size() * times);
    for (std::size_t i = 0; i < times; ++i)
        out += text;
    return out;
}

std::size_t Units(const std::vector<std::u16string>& spellings)
{
    return std::accumulate(spellings.begin(), spellings.end(), std::size_t{0},
                           [](std::size_t n, const std::u16string& s) { return n + s.size(); });
}

// 16 characters with four members each: 4^16 (about 4.3 billion) spellings
// of a 16-character keyword.
struct WideGroups {
    VariantGroups groups;
    std::u16string keyword;
    std::string everyMember; // UTF-8, every member of every group once
    WideGroups()
    {
        for (char16_t c = u'\u4E00'; keyword.size() < 16; c += 4) {
            groups.push_back({c, static_cast<char16_t>(c + 1), static_cast<char16_t>(c + 2),
                              static_cast<char16_t>(c + 3)});
            keyword += c;
        }
        for (const auto& group : groups)
            for (std::uint32_t m : group) {
                std::string utf8;
                Utf16ToUtf8(std::u16string(1, static_cast<char16_t>(m)), utf8, false);
                everyMember += utf8;
            }
    }
};

TEST(ResourceBounds, BillionsOfVariantSpellings)
{
    const WideGroups wide;
    // The list is cut at its spelling limit.
    const std::vector<std::u16string> spellings = ExpandVariants(wide.groups, wide.keyword);
    EXPECT_EQ(spellings.size(), kMaxVariantSpellings);
    EXPECT_EQ(spellings.front(), wide.keyword);

    // The walk over spellings stops at its work limit on a page where every
    // spelling occurs in pieces; the page keeps the marks made so far.
    const std::string cell = Repeat(wide.everyMember, 200);
    const std::string page = test::MakePage(2, cell);
    std::u16string starred;
    for (char16_t c : wide.keyword)
        starred += std::u16string(starred.empty() ? u"" : u"*") + c;
    for (const std::u16string& keyword : {wide.keyword, starred}) {
        HitPageWriter writer(page, 2, kTargetWhole);
        const bool whole = AddVariantKeywords(wide.groups, keyword, writer);
        if (keyword == starred) {
            EXPECT_FALSE(whole); // every spelling occurs
        }
        EXPECT_TRUE(writer.Started());
        EXPECT_LT(writer.Page().size(), page.size() * 64);
    }
}

TEST(ResourceBounds, VariantSpellingsOfALongKeywordStayWithinTheirSize)
{
    // 2000 characters of two members each: the list of spellings would hold
    // 65536 copies of a 2000-unit keyword (256 MB); it stops at its size.
    const VariantGroups groups{{u'甲', u'乙'}, {u'丙', u' '}};
    const std::u16string keyword = Repeat(u"甲", 2000);
    const std::vector<std::u16string> spellings = ExpandVariants(groups, keyword);
    EXPECT_LE(Units(spellings), kMaxVariantUnits);
    EXPECT_EQ(spellings.size(), kMaxVariantUnits / 2000);
    EXPECT_TRUE(spellings.back().starts_with(Repeat(u"甲", 1980))); // only the last characters vary

    // A table that groups a separator with a character takes the plain
    // expansion: still bounded by the list, and the cut is reported.
    HitPageWriter writer(test::MakePage(2, "甲乙甲"), 2, kTargetWhole);
    EXPECT_FALSE(AddVariantKeywords(groups, keyword + u" 丙", writer));
    // The first spelling is always there, however long.
    EXPECT_EQ(ExpandVariants(groups, Repeat(u"甲", kMaxVariantUnits + 1)).size(), 1u);
}

TEST(ResourceBounds, ThousandsOfDifferentTermsOnOnePage)
{
    // Every term occurs, so every term would run a pass over the whole page
    // (which grows with each): the passes stop at their byte limit.
    VariantGroups groups;
    std::u16string keyword;
    std::string cell;
    for (char16_t c = u'\u4E00'; c < u'\u4E00' + 2 * 3000; c += 2) {
        groups.push_back({c, static_cast<char16_t>(c + 1)});
        keyword += c;
        keyword += u' ';
        Utf16ToUtf8(std::u16string{c, static_cast<char16_t>(c + 1)}, cell, false);
    }
    const std::string page = test::MakePage(2, cell);
    HitPageWriter plain(page, 2, kTargetWhole);
    AddKeywords(keyword, plain);
    EXPECT_TRUE(plain.Cut());
    EXPECT_LE(plain.PassBytes(), kMaxPassBytes + plain.Page().size());
    EXPECT_GT(plain.Anchors(), 0);

    HitPageWriter variants(page, 2, kTargetWhole);
    EXPECT_FALSE(AddVariantKeywords(groups, keyword, variants));
    EXPECT_LE(variants.PassBytes(), kVariantWorkLimit + variants.Page().size());
}

class LongKeyword : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_dir = new test::TempDir;
        std::vector<std::string> cells;
        for (int i = 0; i < 60; ++i)
            cells.push_back(i % 3 == 0 ? "甲乙丙甲乙" : "丙丁甲");
        const auto corpus =
            test::CorpusBuilder().Category("類").Work("書").Volume("巻", cells).Variants("7532,4E59\n").Take();
        ASSERT_TRUE(test::MakeDataFolder(corpus, s_dir->path()));
    }
    static void TearDownTestSuite() { delete s_dir; }
    void SetUp() override { ASSERT_EQ(m_index.Open(s_dir->path(), "Index", kIndexWhole), 1); }

    static test::TempDir* s_dir;
    CIndex m_index;
};

test::TempDir* LongKeyword::s_dir = nullptr;

constexpr std::size_t kMegabyteOfUnits = 512 * 1024; // 1 MB of UTF-16

TEST_F(LongKeyword, OneTermOfAMegabyteFindsNothing)
{
    for (const std::u16string term : {u"甲", u"甲乙", u"甲?", u"*甲"}) {
        std::u16string keyword = Repeat(term, kMegabyteOfUnits / term.size());
        EXPECT_EQ(m_index.SearchAnd(keyword, false), 0);
        EXPECT_EQ(m_index.m_nResults, 0);
        keyword = Repeat(term, kMegabyteOfUnits / term.size());
        EXPECT_EQ(m_index.SearchOr(keyword, true), 0);
        EXPECT_EQ(m_index.m_nResults, 0);
    }
}

TEST_F(LongKeyword, AMegabyteOfRepeatedTermsCountsEachTerm)
{
    const Hits one = test::Search(m_index, u"甲乙");
    ASSERT_EQ(one.size(), 20u);
    const std::size_t terms = kMegabyteOfUnits / 3;
    for (const bool useOr : {false, true}) {
        SCOPED_TRACE(useOr ? "or" : "and");
        const Hits hits = test::Search(m_index, Repeat(u"甲乙 ", terms), useOr);
        ASSERT_EQ(hits.size(), one.size());
        for (std::size_t i = 0; i < hits.size(); ++i) {
            EXPECT_EQ(hits[i].first, one[i].first);
            EXPECT_EQ(hits[i].second, one[i].second * terms);
        }
    }
}

TEST_F(LongKeyword, AMegabyteOfMixedTermsIsAnswered)
{
    // Terms of every shape, each different from its neighbours.
    const std::u16string pieces[] = {u"甲", u"乙丙", u"甲*乙", u"丙?甲", u"？丁", u"甲乙丙甲乙", u"戊", u"*丁*"};
    std::u16string keyword;
    for (std::size_t i = 0; keyword.size() < kMegabyteOfUnits; ++i) {
        keyword += pieces[i % std::size(pieces)];
        keyword += (i % 5 == 0) ? u'\u3000' : u' ';
    }
    std::u16string kept = keyword;
    m_index.SearchAnd(kept, true);
    EXPECT_EQ(m_index.m_nResults, 0); // 戊 occurs nowhere
    for (const bool useVariants : {false, true}) {
        kept = keyword;
        m_index.SearchOr(kept, useVariants);
        ASSERT_EQ(m_index.m_arrPages.size(), 60u);
        std::string page;
        EXPECT_GT(m_index.RenderHitPage(m_index.m_arrPages.front(), page, kept, 0, useVariants), 0);
    }
}

TEST(ResourceBounds, TenMegabytePage)
{
    // A text cell of 10 MB with a hit every 100 bytes, and one where every
    // character of 1 MB is a hit (the output is then about 22 times the text).
    std::string sparse = Repeat(Repeat("丙", 33) + "甲", 10 * 1024 * 1024 / 100);
    std::string out;
    const std::int32_t places = 10 * 1024 * 1024 / 100;
    // 甲 at every place; 甲*丙 at every place but the last (two anchors each).
    EXPECT_EQ(GenerateHitPage(test::MakePage(2, sparse), 2, u"甲 甲*丙 乙", kTargetWhole, out),
              places + 2 * (places - 1));
    EXPECT_GT(out.size(), sparse.size());

    const std::string dense = Repeat("甲", 1024 * 1024 / 3);
    EXPECT_EQ(GenerateHitPage(test::MakePage(2, dense), 2, u"甲", kTargetWhole, out),
              static_cast<std::int32_t>(1024 * 1024 / 3));
    EXPECT_GT(out.size(), dense.size() * 20);

    // Variant spellings on the large page, every one of them occurring: the
    // walk is cut by its work limit.
    const WideGroups wide;
    HitPageWriter writer(test::MakePage(2, Repeat(wide.everyMember, 10 * 1024 * 1024 / wide.everyMember.size())), 2,
                         kTargetWhole);
    const std::u16string keyword{wide.keyword[0], u'*', wide.keyword[1], u'*', wide.keyword[2]};
    EXPECT_FALSE(AddVariantKeywords(wide.groups, keyword, writer));
}

} // namespace
} // namespace vesk
