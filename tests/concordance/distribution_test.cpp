// Distribution over the contents: pages and places from the search,
// characters per layer from the pages, marked occurrences when given.
#include "concordance/distribution.h"
#include "concordance/table_text.h"
#include "support/data_folder.h"

#include <gtest/gtest.h>

namespace vesk {
namespace {

struct Row {
    std::string path;
    std::uint64_t pages, places, characters;
    std::optional<std::uint64_t> marked;
    bool operator==(const Row&) const = default;
};

std::vector<Row> Rows(const std::vector<DistributionRow>& rows)
{
    std::vector<Row> out;
    for (const DistributionRow& row : rows)
        out.push_back({NodePath(*row.node), row.pages, row.places, row.characters, row.marked});
    return out;
}

void PrintTo(const Row& r, std::ostream* out)
{
    *out << r.path << " " << r.pages << " " << r.places << " " << r.characters << " "
         << (r.marked ? std::to_string(*r.marked) : "-");
}

class Distribution : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_dir = new test::TempDir;
        // Page ids 0..1 (甲/卷一), 2 (甲/卷二), 3..4 (乙/卷一).
        const auto corpus = test::CorpusBuilder()
                                .Category("經")
                                .Work("甲")
                                .Volume("卷一", {"天地玄黃,宇宙", "天" + test::Note("天地之注") + "日月"})
                                .Volume("卷二", {"洪荒日月盈昃"})
                                .Category("詩")
                                .Work("乙")
                                .Volume("卷一", {"辰宿列張", "寒來暑往天"})
                                .Take();
        ASSERT_TRUE(test::MakeDataFolder(corpus, s_dir->path()));
    }
    static void TearDownTestSuite()
    {
        delete s_dir;
        s_dir = nullptr;
    }
    static test::TempDir* s_dir;
};

test::TempDir* Distribution::s_dir = nullptr;

TEST_F(Distribution, LayerSizesCountKeyedCharactersPerLayer)
{
    CFileList pages;
    ASSERT_TRUE(pages.Open(s_dir->path(), "Index"));
    LayerSizes sizes;
    ASSERT_TRUE(sizes.Compute(pages));
    EXPECT_EQ(sizes.Pages(), 5u);
    // The ASCII comma is not counted; page 1 holds 天日月 and the note 天地之注.
    EXPECT_EQ(sizes.Characters(0, 1, kTargetWhole), 6u);
    EXPECT_EQ(sizes.Characters(1, 2, kTargetMain), 3u);
    EXPECT_EQ(sizes.Characters(1, 2, kTargetAnnotations), 4u);
    EXPECT_EQ(sizes.Characters(0, 5, kTargetWhole), 6u + 7u + 6u + 4u + 5u);
    EXPECT_EQ(sizes.Characters(4, 99, kTargetWhole), 5u);
    EXPECT_EQ(sizes.Characters(3, 3, kTargetWhole), 0u);
    // Stopped at once: nothing kept.
    LayerSizes stopped;
    EXPECT_FALSE(stopped.Compute(pages, [] { return false; }));
    EXPECT_TRUE(stopped.Empty());
}

TEST_F(Distribution, NodesWithTheirFiguresInContentsOrder)
{
    CFileList pages;
    ASSERT_TRUE(pages.Open(s_dir->path(), "Index"));
    LayerSizes sizes;
    ASSERT_TRUE(sizes.Compute(pages));
    ContentsModel contents;
    ASSERT_TRUE(contents.LoadContents(s_dir->path()));
    // The engine's arrays for 天 (whole text): pages 0, 1 (twice), 4; not sorted.
    const std::uint32_t foundPages[] = {4, 0, 1};
    const std::uint32_t foundCounts[] = {1, 1, 3};
    const PageTally found(foundPages, foundCounts);
    const std::uint32_t markedPages[] = {0, 1, 4};
    const std::uint32_t markedCounts[] = {1, 2, 1};
    const PageTally marked(markedPages, markedCounts);
    DistributionQuery query{&found, &sizes, kTargetWhole, &marked, 3};

    EXPECT_EQ(Rows(Distribute(*contents.m_pRootNode, query)),
              (std::vector<Row>{{"經", 2, 4, 19, 3},
                                {"經/甲", 2, 4, 19, 3},
                                {"經/甲/卷一", 2, 4, 13, 3},
                                {"詩", 1, 1, 9, 1},
                                {"詩/乙", 1, 1, 9, 1},
                                {"詩/乙/卷一", 1, 1, 9, 1}}));
    // Level 1 only; then a scope: the work 甲 and below, without marks,
    // main text only (卷二 found nothing and is left out).
    query.maxLevel = 1;
    EXPECT_EQ(Rows(Distribute(*contents.m_pRootNode, query)),
              (std::vector<Row>{{"經", 2, 4, 19, 3}, {"詩", 1, 1, 9, 1}}));
    query = {&found, &sizes, kTargetMain, nullptr, 3};
    const ContentsNodeTag* work = contents.NodeOfRecord(2);
    ASSERT_NE(work, nullptr);
    EXPECT_EQ(Rows(Distribute(*work, query)),
              (std::vector<Row>{{"經/甲", 2, 4, 15, std::nullopt}, {"經/甲/卷一", 2, 4, 9, std::nullopt}}));
    const DistributionRow row = FiguresOfNode(*work, query);
    EXPECT_DOUBLE_EQ(row.Rate(), 4 * 10000.0 / 15);
    EXPECT_EQ(DistributionRow{}.Rate(), 0.0);
    EXPECT_EQ(found.Total().pages, 3u);
    EXPECT_EQ(found.Total().count, 5u);
}

TEST(TableText, FieldsAndRowsInEachForm)
{
    EXPECT_EQ(CsvField("明月"), "明月");
    EXPECT_EQ(CsvField("a,b"), "\"a,b\"");
    EXPECT_EQ(CsvField("say \"x\"\r\n"), "\"say \"\"x\"\"\r\n\"");
    EXPECT_EQ(TsvField("a\tb\nc\r"), "a b c ");
    EXPECT_EQ(JsonString("a\"\\\n"), "\"a\\\"\\\\\\u000a\"");
    const TableColumn columns[] = {{"name"}, {"n", true}};
    const std::string fields[] = {"甲,乙", "3"};
    EXPECT_EQ(FormatHeader(TableForm::Csv, columns), "name,n\r\n");
    EXPECT_EQ(FormatHeader(TableForm::Json, columns), "");
    EXPECT_EQ(FormatRow(TableForm::Csv, columns, fields), "\"甲,乙\",3\r\n");
    EXPECT_EQ(FormatRow(TableForm::Tsv, columns, fields), "甲,乙\t3\n");
    EXPECT_EQ(FormatRow(TableForm::Json, columns, fields), "{\"name\": \"甲,乙\", \"n\": 3}\n");
}

} // namespace
} // namespace vesk
