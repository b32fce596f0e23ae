// Occurrences with context: what the hit marker marks, the text around it,
// and their agreement with the hit pages the reader shows.
#include "concordance/occurrence_table.h"
#include "concordance/occurrences.h"
#include "concordance/plain_text.h"
#include "support/data_folder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>

namespace vesk {
namespace {

struct Expected {
    std::uint32_t pageId;
    std::int32_t anchor;
    std::int32_t anchors;
    std::int32_t layer;
    std::string left, match, right;
};

bool operator==(const Occurrence& a, const Expected& b)
{
    return a.pageId == b.pageId && a.anchor == b.anchor && a.anchors == b.anchors && a.layer == b.layer &&
           a.left == b.left && a.match == b.match && a.right == b.right;
}

} // namespace

// Beside Occurrence in its namespace, where the test framework's printer
// finds it, so a failing row prints its fields.
void PrintTo(const Occurrence& o, std::ostream* out);
void PrintTo(const Occurrence& o, std::ostream* out)
{
    *out << "{" << o.pageId << ", " << o.anchor << ", " << o.anchors << ", " << o.layer << ", \"" << o.left
         << "\", \"" << o.match << "\", \"" << o.right << "\"}";
}

namespace {

class Occurrences : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_dir = new test::TempDir;
        // Page ids: 0..2 in 卷一, 3..4 in 卷二 (page numbers from 1).
        const auto corpus =
            test::CorpusBuilder()
                .Category("經")
                .Work("甲書")
                .Volume("卷一",
                        {
                            "明月照我<p>明月</p>",                         // 0: at both edges of the page
                            "春江" + test::Note("花月") + "夜明月\n光",    // 1: context through a note
                            "\xF0\xA0\x80\x80明月\xF0\xA0\x80\x81照學",   // 2: U+20000, U+20001 around
                        })
                .Volume("卷二",
                        {
                            "甲" + test::Note("明月乙") + "明日照月", // 3: a hit in the annotation
                            "学而時習之明月",                          // 4: the variant 学 of 學
                        })
                .Variants("5B78,5B66\n")
                .Take();
        ASSERT_TRUE(test::MakeDataFolder(corpus, s_dir->path()));
    }
    static void TearDownTestSuite()
    {
        delete s_dir;
        s_dir = nullptr;
    }

    void SetUp() override { ASSERT_EQ(m_index.Open(s_dir->path(), "Index", kIndexWhole), 1); }

    std::vector<Occurrence> OfPage(std::uint32_t page, std::u16string keyword, std::int32_t context,
                                   std::int32_t target = kTargetWhole, bool variants = false)
    {
        std::vector<Occurrence> out;
        AppendPageOccurrences(m_index, page, {std::move(keyword), target, variants, context}, out);
        return out;
    }

    static test::TempDir* s_dir;
    CIndex m_index;
};

test::TempDir* Occurrences::s_dir = nullptr;

TEST_F(Occurrences, KnownPages)
{
    struct Case {
        std::uint32_t page;
        std::u16string keyword;
        std::int32_t context;
        std::int32_t target;
        bool variants;
        std::vector<Expected> expected;
    } cases[] = {
        {0, u"明月", 3, kTargetWhole, false, {{0, 0, 1, 0, "", "明月", "照我明"}, {0, 1, 1, 0, "月照我", "明月", ""}}},
        {1, u"明月", 4, kTargetWhole, false, {{1, 0, 1, 0, "江花月夜", "明月", "光"}}},
        {2, u"明月", 1, kTargetWhole, false,
         {{2, 0, 1, 0, "\xF0\xA0\x80\x80", "明月", "\xF0\xA0\x80\x81"}}},
        {3, u"明月", 2, kTargetWhole, false, {{3, 0, 1, 1, "甲", "明月", "乙明"}}},
        {3, u"明月", 2, kTargetMain, false, {}},
        // "*" covers what lies between; "?" adds an anchor of its own.
        {3, u"明*月", 0, kTargetMain, false, {{3, 0, 2, 0, "", "明日照月", ""}}},
        {0, u"明??我", 1, kTargetWhole, false, {{0, 0, 3, 0, "", "明月照我", "明"}}},
        // Two keywords: anchors in pass order, the second keyword's after the first's.
        {3, u"照　明月", 1, kTargetWhole, false, {{3, 0, 1, 0, "日", "照", "月"}, {3, 1, 1, 1, "甲", "明月", "乙"}}},
        // A variant spelling shows as written.
        {4, u"學而", 2, kTargetWhole, true, {{4, 0, 1, 0, "", "学而", "時習"}}},
        {4, u"學而", 2, kTargetWhole, false, {}},
        // Context 0 and a context beyond the limit (cut to 100).
        {1, u"明月", 0, kTargetWhole, false, {{1, 0, 1, 0, "", "明月", ""}}},
        {1, u"明月", 1000, kTargetWhole, false, {{1, 0, 1, 0, "春江花月夜", "明月", "光"}}},
    };
    for (const Case& c : cases) {
        const std::vector<Occurrence> got = OfPage(c.page, c.keyword, c.context, c.target, c.variants);
        ASSERT_EQ(got.size(), c.expected.size()) << "page " << c.page;
        for (std::size_t i = 0; i < got.size(); ++i)
            EXPECT_TRUE(got[i] == c.expected[i]) << "page " << c.page << " row " << i << ": "
                                                 << ::testing::PrintToString(got[i]);
    }
}

TEST_F(Occurrences, StreamGoesPageByPageAndStopsWhenAsked)
{
    const std::uint32_t pages[] = {0, 1, 2, 3};
    std::vector<std::uint32_t> seen;
    std::size_t rows = 0;
    EXPECT_TRUE(StreamOccurrences(m_index, pages, {u"明月", kTargetWhole, false, 2},
                                  [&](std::uint32_t page, std::span<const Occurrence> found) {
                                      seen.push_back(page);
                                      rows += found.size();
                                      return true;
                                  }));
    EXPECT_EQ(seen, (std::vector<std::uint32_t>{0, 1, 2, 3}));
    EXPECT_EQ(rows, 5u);
    seen.clear();
    EXPECT_FALSE(StreamOccurrences(m_index, pages, {u"明月", kTargetWhole, false, 2},
                                   [&](std::uint32_t page, std::span<const Occurrence>) {
                                       seen.push_back(page);
                                       return page < 1;
                                   }));
    EXPECT_EQ(seen, (std::vector<std::uint32_t>{0, 1}));
    // A page that is not there gives nothing.
    EXPECT_TRUE(OfPage(999, u"明月", 2).empty());
}

// On real text, for every result page of a few searches, the occurrences
// account for every anchor of the hit page the reader shows: their anchor
// runs are disjoint, and together they are all of 0 .. anchors - 1. The
// page rendered while its marks are watched is byte for byte the same.
TEST(OccurrencesOnExcerpt, EveryAnchorOfEveryHitPageBelongsToOneOccurrence)
{
    const std::filesystem::path excerpt = std::filesystem::path(VESK_FIXTURES_DIR) / "excerpt";
    build::SourceCorpus corpus;
    std::string error;
    ASSERT_TRUE(build::ReadSourceCorpus(excerpt, corpus, error)) << error;
    test::TempDir dir;
    ASSERT_TRUE(test::MakeDataFolder(corpus, dir.path()));
    struct Search {
        std::u16string keyword;
        int indexType;
        bool variants;
    } searches[] = {
        {u"不", kIndexWhole, false},      {u"子曰", kIndexWhole, true}, {u"人*之", kIndexWhole, false},
        {u"不?乎", kIndexMain, false},    {u"之 而", kIndexWhole, true}, {u"也", kIndexAnnotations, false},
        {u"学", kIndexWhole, true},
    };
    for (const Search& search : searches) {
        CIndex index;
        ASSERT_EQ(index.Open(dir.path(), "Index", search.indexType), 1);
        std::u16string keyword = search.keyword;
        index.SearchAnd(keyword, search.variants);
        ASSERT_FALSE(index.m_arrPages.empty()) << "no pages for a test keyword";
        const ConcordanceQuery query{keyword, TargetOfIndexType(search.indexType), search.variants, 5};
        for (std::uint32_t page : index.m_arrPages) {
            std::string hitPage;
            const std::int32_t anchors = index.RenderHitPage(page, hitPage, keyword, query.target, search.variants);
            // Watching the marks leaves the page the reader gets as it is.
            std::string watched;
            std::string cell;
            std::size_t seen = 0;
            index.RenderHitPage(page, watched, keyword, query.target, search.variants,
                                [&seen](const MarkedHit&) { ++seen; }, &cell);
            EXPECT_EQ(watched, hitPage) << "page " << page;
            EXPECT_NE(hitPage.find(cell), std::string::npos);
            std::vector<Occurrence> rows;
            AppendPageOccurrences(index, page, query, rows);
            EXPECT_EQ(rows.size(), seen);
            std::set<std::int32_t> covered;
            for (const Occurrence& row : rows) {
                EXPECT_FALSE(row.match.empty());
                char anchor[32];
                std::snprintf(anchor, sizeof anchor, "<a name=\"%04d\">", row.anchor);
                EXPECT_NE(hitPage.find(anchor), std::string::npos);
                for (std::int32_t a = row.anchor; a < row.anchor + row.anchors; ++a)
                    EXPECT_TRUE(covered.insert(a).second) << "anchor " << a << " twice";
            }
            EXPECT_EQ(covered.size(), static_cast<std::size_t>(anchors)) << "page " << page;
            if (!covered.empty()) {
                EXPECT_EQ(*covered.rbegin(), anchors - 1);
            }
        }
    }
}

TEST(OccurrenceTable, SortsByRightAndByLeftReadBackwardsTiesInPageOrder)
{
    OccurrenceTable table;
    const std::vector<Occurrence> rows = {
        {0, 0, 1, 0, "甲乙", "X", "丙"},
        {0, 1, 1, 0, "丙乙", "X", "甲"},
        {1, 0, 1, 0, "乙甲", "X", "甲"},
        {2, 0, 1, 1, "\xF0\xA0\x80\x80", "X", ""}, // U+20000 sorts after every BMP character
        {2, 1, 1, 0, "", "X", "\xF0\xA0\x80\x80"},
    };
    table.Append(rows, 7);
    ASSERT_EQ(table.Size(), 5u);
    EXPECT_EQ(table.Ordered(OccurrenceOrder::Page), (std::vector<std::uint32_t>{0, 1, 2, 3, 4}));
    // Right: "" < 丙 < 甲 (U+7532 > U+4E19) < U+20000; 甲 twice keeps page order.
    EXPECT_EQ(table.Ordered(OccurrenceOrder::Right), (std::vector<std::uint32_t>{3, 0, 1, 2, 4}));
    // Left read backwards: "" ; 乙 (甲乙, 丙乙: then 甲 < 丙... U+7532 vs U+4E19) ; 甲 ; U+20000.
    EXPECT_EQ(table.Ordered(OccurrenceOrder::Left), (std::vector<std::uint32_t>{4, 1, 0, 2, 3}));
    EXPECT_EQ(table.Left(table.Row(3)), "\xF0\xA0\x80\x80");
    EXPECT_EQ(table.Match(table.Row(3)), "X");
    EXPECT_EQ(table.Right(table.Row(4)), "\xF0\xA0\x80\x80");
    EXPECT_EQ(table.Row(3).record, 7u);
    EXPECT_EQ(table.Row(3).layer, 1);
}

TEST(PlainText, TagsAndLayoutGoOffsetsFollow)
{
    const std::string html = "<p>明\n月</p><b x='>'>照</b>\t<a";
    std::string plain;
    AppendPlainText(html, plain);
    // "<b x='>" ends the tag at the first ">": the "'>" after it is text.
    EXPECT_EQ(plain, "明月'>照");
    PlainOffsets offsets(html);
    EXPECT_EQ(offsets.At(0), 0u);
    EXPECT_EQ(offsets.At(3), 0u);  // after "<p>"
    EXPECT_EQ(offsets.At(7), 3u);  // past 明 and the line break
    EXPECT_EQ(offsets.At(1), 0u);  // backwards: walked again
    EXPECT_EQ(offsets.At(999), plain.size());
    EXPECT_EQ(CountCodePoints("a明\xF0\xA0\x80\x80"), 3u);
    EXPECT_EQ(CodePointsBack("a明\xF0\xA0\x80\x80", 8, 2), 1u);
    EXPECT_EQ(CodePointsForward("a明\xF0\xA0\x80\x80", 1, 5), 8u);
}

} // namespace
} // namespace vesk
