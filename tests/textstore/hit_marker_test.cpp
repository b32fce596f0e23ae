#include "textstore/hit_marker.h"

#include <gtest/gtest.h>

#include "support/reference_hit_page.h"

using namespace vesk;

namespace {

template <typename... Parts>
std::string Cat(const Parts&... parts)
{
    std::string s;
    (s.append(parts), ...);
    return s;
}

std::string Anchor(int n)
{
    std::string s;
    AppendAnchor(n, s);
    return s;
}

// A highlighted segment as a hit writes it: anchor, open tag, bytes, close tag.
std::string Mark(int anchor, std::string_view bytes)
{
    return Cat(Anchor(anchor), kHitOpenTag, bytes, kHitCloseTag);
}

// The characters a run of "?" stood for: open tag, anchor, bytes, close tag.
std::string Gap(int anchor, std::string_view bytes)
{
    return Cat(kHitOpenTag, Anchor(anchor), bytes, kHitCloseTag);
}

std::string Describe(const Pattern& pattern)
{
    std::string s;
    for (const Seg& seg : pattern)
        s += Cat("(", std::to_string(seg.kind), ",", seg.bytes, ",", std::to_string(seg.count), ")");
    return s;
}

struct Marked {
    std::string text;
    std::int32_t hits;
    std::int32_t counter;
};

Marked MarkText(std::string_view text, std::string_view keyword, std::int32_t counter = 0)
{
    FilterItem item;
    item.text = std::string(text);
    Marked m;
    m.hits = MarkHits(item, keyword, m.text, counter);
    m.counter = counter;
    return m;
}

} // namespace

TEST(BuildPattern, CompilesKeywordsIntoSegments)
{
    const struct {
        const char* keyword;
        const char* pattern;
    } cases[] = {
        {"A", "(2,A,1)"},
        {"AB?C", "(2,AB,1)(1,C,1)"},
        {"A??B*C", "(2,A,1)(1,B,2)(0,C,1)"},
        {"*A", "(0,A,1)"},
        {"A**B", "(2,A,1)(0,B,1)"},
        {"?A", "(2,A,2)"},
        {"A?", "(2,A,1)"},
        {"A*", "(2,A,1)"},
        {"A*??B", "(2,A,1)(0,B,3)"},
        {"A*?*B", "(2,A,1)(0,B,1)"},
        {"*?*", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        Pattern p;
        BuildPattern(c.keyword, p);
        EXPECT_EQ(Describe(p), c.pattern) << c.keyword;
    }
}

TEST(AppendAnchor, FourDigitsThenMore)
{
    EXPECT_EQ(Anchor(0), "<a name=\"0000\"></a>");
    EXPECT_EQ(Anchor(0).size(), 19u);
    EXPECT_EQ(Anchor(9999), "<a name=\"9999\"></a>");
    EXPECT_EQ(Anchor(10000), "<a name=\"10000\"></a>");
}

TEST(MarkHits, MarksEveryHitOnce)
{
    const std::string cjk = "中"; // one three-byte character for "?"
    const struct {
        std::string text;
        const char* keyword;
        std::string expected;
        int hits;
    } cases[] = {
        {"XAYA", "A", Cat("X", Mark(0, "A"), "Y", Mark(1, "A")), 2},
        // "*" may not cross a paragraph or heading tag, but crosses others
        {"A<p>B", "A*B", "A<p>B", 0},
        {"A<h4>B", "A*B", "A<h4>B", 0},
        {"A<br>xB", "A*B", Cat(Mark(0, "A"), "<br>x", Mark(1, "B")), 1},
        // "?" is three bytes: one CJK character, never one ASCII letter
        {Cat("A", cjk, "B"), "A?B", Cat(Mark(0, "A"), Gap(1, cjk), Mark(2, "B")), 1},
        {"AxB", "A?B", "AxB", 0},
        {Cat("A", cjk, cjk, "B"), "A??B", Cat(Mark(0, "A"), Gap(1, Cat(cjk, cjk)), Mark(2, "B")), 1},
        // trailing and leading "?" are dropped
        {"ABC", "AB?", Cat(Mark(0, "AB"), "C"), 1},
        {"xA", "?A", Cat("x", Mark(0, "A")), 1},
        // hits do not overlap
        {"AAA", "AA", Cat(Mark(0, "AA"), "A"), 1},
        {"", "A", "", 0},
        {"XYZ", "A", "XYZ", 0},
        // a keyword of wildcards only marks nothing
        {"A中B", "*?", "A中B", 0},
        // matching is on bytes, tags included
        {"<br>", "br", Cat("<", Mark(0, "br"), ">"), 1},
    };
    for (const auto& c : cases) {
        const Marked m = MarkText(c.text, c.keyword);
        EXPECT_EQ(m.text, c.expected) << c.text << " / " << c.keyword;
        EXPECT_EQ(m.hits, c.hits) << c.text << " / " << c.keyword;
    }
}

TEST(MarkHits, AdvancesTheSharedCounterPastFourDigits)
{
    const Marked m = MarkText("XAYA", "A", 9999);
    EXPECT_EQ(m.text, Cat("X", Mark(9999, "A"), "Y", Mark(10000, "A")));
    EXPECT_EQ(m.hits, 2);
    EXPECT_EQ(m.counter, 10001);
}

TEST(MarkHits, FailedSegmentsStillMoveTheSearchOn)
{
    // With 甲?乙*丙 the "?" step fails after the first 甲 but 丙 is still
    // searched; the copy resumes after that 丙, so the complete occurrence
    // that starts at the second 甲 is passed over.
    const std::string skipped = "甲丁甲中乙丙";
    EXPECT_EQ(MarkText(skipped, "甲?乙*丙").text, skipped);
    EXPECT_EQ(MarkText(skipped, "甲?乙*丙").hits, 0);

    // When 丙 lies before the next 甲, the next occurrence is found.
    const Marked m = MarkText("甲丁丁丙甲中乙丙", "甲?乙*丙");
    EXPECT_EQ(m.text, Cat("甲丁丁丙", Mark(0, "甲"), Gap(1, "中"), Mark(2, "乙"), Mark(3, "丙")));
    EXPECT_EQ(m.counter, 4);
}

TEST(MayHaveHit, RequiresEverySegmentInOrder)
{
    const struct {
        const char* text;
        const char* keyword;
        bool may;
    } cases[] = {
        {"xAyBz", "A*B", true},
        {"xByAz", "A*B", false},
        {"AB", "A?B", true}, // only a necessary condition: this one cannot hit
        {"AAB", "AB", true},
        {"A", "AB", false},
        {"AB", "*?", false},
    };
    for (const auto& c : cases) {
        Pattern p;
        BuildPattern(c.keyword, p);
        EXPECT_EQ(MayHaveHit(p, c.text), c.may) << c.text << " / " << c.keyword;
        if (!c.may) {
            EXPECT_EQ(MarkText(c.text, c.keyword).hits, 0);
        }
    }
}

// The walk remembers where each segment and tag occurs next instead of
// searching again on every attempt; drawn texts and keywords check it against
// the plain walk.
TEST(MarkHits, MatchesThePlainWalkOnDrawnCases)
{
    const char* textPieces[] = {"甲", "乙", "丙", "中", "<p>", "<h4>", "<br>", "x"};
    const char* keywordPieces[] = {"甲", "乙", "丙", "?", "*", "x"};
    std::uint32_t seed = 7;
    auto draw = [&](std::uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    for (int round = 0; round < 3000; ++round) {
        std::string text, keyword;
        for (std::uint32_t i = 0, n = draw(30); i < n; ++i)
            text += textPieces[draw(std::size(textPieces))];
        for (std::uint32_t i = 0, n = 1 + draw(6); i < n; ++i)
            keyword += keywordPieces[draw(std::size(keywordPieces))];
        Pattern pattern;
        BuildPattern(keyword, pattern);
        std::string expected, marked;
        std::int32_t expectedCounter = 0, counter = 0;
        const std::int32_t expectedHits =
            vesk::testing::ReferenceMarkPattern(text, pattern, expected, expectedCounter);
        ASSERT_EQ(MarkPattern(text, pattern, marked, counter), expectedHits) << text << " / " << keyword;
        ASSERT_EQ(marked, expected) << text << " / " << keyword;
        ASSERT_EQ(counter, expectedCounter);
    }
}
