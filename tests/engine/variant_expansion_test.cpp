#include "engine/variant_expansion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "support/reference_hit_page.h"
#include "textstore/code_converter.h"

using namespace vesk;

namespace {

std::u16string Joined(const std::vector<std::u16string>& spellings)
{
    std::u16string s;
    for (const std::u16string& spelling : spellings) {
        if (!s.empty())
            s += u' ';
        s += spelling;
    }
    return s;
}

std::string Page(std::string_view first, std::string_view second)
{
    std::string s = "<title>題</title><TD>";
    s.append(first);
    s.append("</TD><TD>");
    s.append(second);
    s.append("</TD>");
    return s;
}

} // namespace

TEST(ExpandVariants, CombinesGroupMembersInOrder)
{
    const VariantGroups groups = {
        {0x4E00, 0x5F0C},         // 一 弌
        {0x5B66, 0x5B78, 0x6588}, // 学 學 斈
        {0x4E8C, 0x5F0D},         // 二 弍
        {0x4E00, 0x58F9},         // 一 again: the first group counts
        {0x4EA6, 0x20001},        // 亦 and a member above U+FFFF
        {0x24E00, 0x4E09},        // low 16 bits of U+24E00 are those of 一
    };
    const struct {
        std::u16string keyword;
        std::vector<std::u16string> spellings;
    } cases[] = {
        {u"一", {u"一", u"弌"}},
        {u"二学", {u"二学", u"二學", u"二斈", u"弍学", u"弍學", u"弍斈"}},
        {u"X", {u"X"}},
        {u"一\u3000二", {u"一\u3000二", u"一\u3000弍", u"弌\u3000二", u"弌\u3000弍"}},
        {u"亦", {u"亦", u"\U00020001"}},
        // a surrogate pair is one character
        {u"\U00020001", {u"亦", u"\U00020001"}},
        {u"\U00024E00", {u"\U00024E00", u"三"}},
        {u"", {u""}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExpandVariants(groups, c.keyword), c.spellings);
}

namespace {

// Every spelling written out from its choices, one position after another.
std::vector<std::u16string> ExpandOneByOne(const VariantGroups& groups, const std::u16string& keyword)
{
    std::vector<std::vector<std::uint32_t>> alternatives;
    for (std::size_t i = 0; i < keyword.size(); ++i) {
        std::uint32_t c = keyword[i];
        if (IsHighSurrogate(c) && i + 1 < keyword.size() && IsLowSurrogate(keyword[i + 1]))
            c = CombineSurrogates(c, keyword[++i]);
        alternatives.push_back({c});
        for (const auto& group : groups) {
            if (std::find(group.begin(), group.end(), c) != group.end()) {
                alternatives.back() = group;
                break;
            }
        }
    }
    std::vector<std::u16string> spellings;
    std::vector<std::size_t> choice(alternatives.size(), 0);
    for (;;) {
        std::u16string spelling;
        for (std::size_t i = 0; i < choice.size(); ++i) {
            const std::uint32_t m = alternatives[i][choice[i]];
            if (m > 0x10FFFF)
                spelling += u'\uFFFD';
            else if (m > 0xFFFF)
                spelling += {static_cast<char16_t>(0xD800 + ((m - 0x10000) >> 10)),
                             static_cast<char16_t>(0xDC00 + ((m - 0x10000) & 0x3FF))};
            else
                spelling += static_cast<char16_t>(m);
        }
        spellings.push_back(spelling);
        std::size_t p = choice.size();
        while (p > 0 && ++choice[p - 1] == alternatives[p - 1].size())
            choice[--p] = 0;
        if (p == 0)
            return spellings;
    }
}

} // namespace

TEST(ExpandVariants, AgreesWithWritingEachSpellingOut)
{
    // Members of one, two and no UTF-16 units (past U+10FFFF: U+FFFD), so
    // that consecutive spellings differ in length at every position.
    const std::uint32_t pool[] = {0x4E00, 0x5F0C, 0x20001, 0x2A6D6, 0x110000, 0x20, 0x3000, 0xD800, 0x5B78};
    std::mt19937 random(11);
    for (int round = 0; round < 200; ++round) {
        VariantGroups groups(1 + random() % 4);
        for (auto& group : groups)
            for (std::size_t n = 1 + random() % 4; group.size() < n;)
                group.push_back(pool[random() % std::size(pool)]);
        std::u16string keyword;
        for (std::size_t n = random() % 7; n > 0; --n) {
            const std::uint32_t c = pool[random() % std::size(pool)];
            if (c > 0xFFFF && c <= 0x10FFFF)
                keyword += {static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)),
                            static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF))};
            else
                keyword += static_cast<char16_t>(c & 0xFFFF);
        }
        ASSERT_EQ(ExpandVariants(groups, keyword), ExpandOneByOne(groups, keyword)) << "round " << round;
    }
}

TEST(ExpandVariants, StopsAtTheSpellingLimit)
{
    VariantGroups groups;
    std::u16string keyword;
    for (char16_t c = u'甲'; keyword.size() < 17; ++c) {
        groups.push_back({c, static_cast<char16_t>(c + 0x100)});
        keyword += c;
    }
    const std::vector<std::u16string> spellings = ExpandVariants(groups, keyword);
    ASSERT_EQ(spellings.size(), kMaxVariantSpellings);
    EXPECT_EQ(spellings.front(), keyword);
    // the first character still has its first member: 2^16 spellings vary the other 16
    EXPECT_EQ(spellings.back()[0], keyword[0]);
    EXPECT_EQ(spellings.back()[16], keyword[16] + 0x100);
}

// The variant walk gives, byte for byte, the page of the full expansion run
// keyword by keyword.
TEST(AddVariantKeywords, MatchesTheFullExpansion)
{
    const VariantGroups groups = {
        {0x5B66, 0x5B78, 0x6588}, // 学 學 斈
        {0x4E60, 0x7FD2},         // 习 習
        {0x4E4B, 0x3762},         // 之 㞢
        {0x800C, 0x800C, 0x5152}, // 而 (twice) 兒
        {0x4EA6, 0x20001},        // 亦 and a member above U+FFFF
        {0x65F6, 0x6642},         // 时 時
    };
    const std::string open(kAnnotationOpenTag);
    const std::string note = open + "习之斈而</font>";
    const std::string pages[] = {
        Page("學而時習之，不亦說乎。" + note + "学而时习之<p>習學\U00020001", "学习"),
        Page("学学學習習习之之", "斈而習"),
    };
    const std::u16string keywords[] = {
        u"学而时习之", u"学\u3000學", u"學?習", u"学*之", u"学\u3000习\u3000之", u"a 学 name",
        u"亦", u"习学 学习", u"?", u"学 Q", u"Q 学", u"\u3000", u"学*?之", u"之 学之 之",
    };
    for (const std::string& stored : pages) {
        for (std::int32_t target : {kTargetWhole, kTargetMain, kTargetAnnotations}) {
            for (std::int64_t pageNumber : {2, 3}) {
                for (const std::u16string& keyword : keywords) {
                    std::string expected = stored; // what a page without passes keeps
                    const std::int32_t anchors = vesk::testing::ReferenceHitPage(
                        stored, pageNumber, Joined(ExpandVariants(groups, keyword)), target, expected);
                    HitPageWriter writer(stored, pageNumber, target);
                    EXPECT_TRUE(AddVariantKeywords(groups, keyword, writer));
                    EXPECT_EQ(writer.Page(), expected) << target << " " << pageNumber;
                    EXPECT_EQ(writer.Anchors(), anchors) << target << " " << pageNumber;
                }
            }
        }
    }
}

// Tables that group separators with characters cannot be walked term by
// term; those keywords go through the listed expansion and still match it.
TEST(AddVariantKeywords, TablesGroupingSeparatorsUseTheList)
{
    const VariantGroups groups = {
        {0x5B66, 0x3000}, // 学 and the ideographic space
        {0x4E60, 0x7FD2}, // 习 習
    };
    const std::string stored = Page("学習 习学", "");
    for (const std::u16string keyword : {u"学习", u"习\u3000学"}) {
        std::string expected;
        const std::int32_t anchors = vesk::testing::ReferenceHitPage(
            stored, 2, Joined(ExpandVariants(groups, keyword)), kTargetWhole, expected);
        HitPageWriter writer(stored, 2, kTargetWhole);
        EXPECT_TRUE(AddVariantKeywords(groups, keyword, writer));
        EXPECT_EQ(writer.Page(), expected);
        EXPECT_EQ(writer.Anchors(), anchors);
    }
}

// Twelve characters of ten members each are 10^12 spellings; the walk only
// follows the prefixes that occur in the page.
TEST(AddVariantKeywords, LongKeywordsOfLargeGroupsFinish)
{
    VariantGroups groups;
    std::u16string keyword;
    std::string text;
    for (char16_t c = u'一'; keyword.size() < 12; c += 16) {
        std::vector<std::uint32_t> group;
        for (char16_t m = 0; m < 10; ++m)
            group.push_back(c + m);
        groups.push_back(group);
        keyword += c;
    }
    // The page holds one spelling, made of the last members.
    std::u16string last;
    for (const auto& g : groups)
        last += static_cast<char16_t>(g.back());
    std::string lastBytes;
    Utf16ToUtf8(last, lastBytes, true);
    const std::string stored = Page(lastBytes + "。" + lastBytes, "");

    HitPageWriter writer(stored, 0, kTargetWhole);
    EXPECT_TRUE(AddVariantKeywords(groups, keyword, writer));
    EXPECT_EQ(writer.Anchors(), 2);
}

// Pages and keywords drawn from a small alphabet of variant characters,
// wildcards, separators and tags, so that marks of one spelling often touch
// or split occurrences of the next.
TEST(AddVariantKeywords, MatchesTheFullExpansionOnDrawnCases)
{
    const VariantGroups groups = {
        {0x5B66, 0x5B78, 0x6588}, // 学 學 斈
        {0x4E60, 0x7FD2},         // 习 習
        {0x4E4B, 0x3762},         // 之 㞢
    };
    const char* pagePieces[] = {"学", "學", "斈", "习", "習", "之", "㞢", "x", "<p>", "<br>",
                                "<font size=-1 color=\"#993366\">", "</font>"};
    const char16_t keywordPieces[] = {u'学', u'學', u'习', u'之', u'x', u'*', u'?', u' ', u'\u3000'};
    std::uint32_t seed = 12345;
    auto draw = [&](std::uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    for (int round = 0; round < 400; ++round) {
        std::string first;
        for (std::uint32_t i = 0, n = 4 + draw(20); i < n; ++i)
            first += pagePieces[draw(std::size(pagePieces))];
        const std::string stored = Page(first, "");
        std::u16string keyword;
        for (std::uint32_t i = 0, n = 1 + draw(5); i < n; ++i)
            keyword += keywordPieces[draw(std::size(keywordPieces))];
        const std::int32_t target = static_cast<std::int32_t>(draw(3));

        std::string expected = stored;
        const std::int32_t anchors = vesk::testing::ReferenceHitPage(
            stored, 0, Joined(ExpandVariants(groups, keyword)), target, expected);
        HitPageWriter writer(stored, 0, target);
        EXPECT_TRUE(AddVariantKeywords(groups, keyword, writer));
        ASSERT_EQ(writer.Page(), expected) << first;
        ASSERT_EQ(writer.Anchors(), anchors) << first;
    }
}
