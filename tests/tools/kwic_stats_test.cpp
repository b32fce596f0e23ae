// vesk-tool kwic and stats run as programs on a generated data folder:
// output in each form, sorts, levels, scopes and exit codes.
#include "support/data_folder.h"
#include "support/run_command.h"

#include <gtest/gtest.h>

namespace vesk {
namespace {

namespace fs = std::filesystem;

test::CommandResult RunTool(const fs::path& data, const std::vector<std::string>& args)
{
    std::string command = test::ShellQuote((fs::path(VESK_BIN_DIR) / "vesk-tool").string());
    for (const std::string& arg : args)
        command += ' ' + test::ShellQuote(arg);
    command += " --data " + test::ShellQuote(data.string()) + " 2>/dev/null";
    return test::RunCommand(command);
}

class KwicStats : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_dir = new test::TempDir;
        // Page ids 0, 1 (經/論語/卷一), 2 (經/論語/卷二), 3 (詩/詩經/國風).
        const auto corpus = test::CorpusBuilder()
                                .Category("經")
                                .Work("論語")
                                .Volume("卷一", {"學而時習之,不亦說乎", "有朋自遠方來,不亦樂乎"})
                                .Volume("卷二", {"人不知而不慍"})
                                .Category("詩")
                                .Work("詩經")
                                .Volume("國風", {"關關雎鳩" + test::Note("不亦,乎"), "在河之洲"}, 5)
                                .Variants("5B78,5B66\n")
                                .Take();
        ASSERT_TRUE(test::MakeDataFolder(corpus, s_dir->path()));
    }
    static void TearDownTestSuite()
    {
        delete s_dir;
        s_dir = nullptr;
    }
    static const fs::path& Data() { return s_dir->path(); }
    static test::TempDir* s_dir;
};

test::TempDir* KwicStats::s_dir = nullptr;

TEST_F(KwicStats, KwicRowsInPageOrderThenTheTotals)
{
    const test::CommandResult result = RunTool(Data(), {"kwic", "--context", "2", "不"});
    EXPECT_EQ(result.code, 0);
    // Punctuation is text too; the context stops at the page's edge.
    EXPECT_EQ(result.out, "經\t論語\t卷一\t1\t0\t0\tmain\t之,\t不\t亦說\n"
                          "經\t論語\t卷一\t2\t1\t0\tmain\t來,\t不\t亦樂\n"
                          "經\t論語\t卷二\t1\t2\t0\tmain\t人\t不\t知而\n"
                          "經\t論語\t卷二\t1\t2\t1\tmain\t知而\t不\t慍\n"
                          "詩\t詩經\t國風\t5\t3\t0\tannot\t雎鳩\t不\t亦,\n"
                          "全部で 4 頁で、5 箇所でした。用例 5 件。\n");
}

TEST_F(KwicStats, KwicSortsAndForms)
{
    // Right context: 亦, < 亦樂 < 亦說 < 慍 < 知而 (code point order).
    EXPECT_EQ(RunTool(Data(), {"kwic", "--context=2", "--sort", "right", "--tsv", "不"}).out,
              "category\twork\tvolume\tpage_no\tpage_id\tanchor\tlayer\tleft\tmatch\tright\n"
              "詩\t詩經\t國風\t5\t3\t0\tannot\t雎鳩\t不\t亦,\n"
              "經\t論語\t卷一\t2\t1\t0\tmain\t來,\t不\t亦樂\n"
              "經\t論語\t卷一\t1\t0\t0\tmain\t之,\t不\t亦說\n"
              "經\t論語\t卷二\t1\t2\t1\tmain\t知而\t不\t慍\n"
              "經\t論語\t卷二\t1\t2\t0\tmain\t人\t不\t知而\n");
    // Left read backwards: the two commas (ties in page order) < 人 < 而;
    // a comma field is quoted.
    EXPECT_EQ(RunTool(Data(), {"kwic", "--context", "1", "--sort", "left", "--csv", "--scope", "2", "不"}).out,
              "category,work,volume,page_no,page_id,anchor,layer,left,match,right\r\n"
              "經,論語,卷一,1,0,0,main,\",\",不,亦\r\n"
              "經,論語,卷一,2,1,0,main,\",\",不,亦\r\n"
              "經,論語,卷二,1,2,0,main,人,不,知\r\n"
              "經,論語,卷二,1,2,1,main,而,不,慍\r\n");
    // A variant spelling and "*" show as written; JSON Lines hold rows only.
    EXPECT_EQ(RunTool(Data(), {"kwic", "--variants", "--context", "0", "--json", "学*習"}).out,
              "{\"category\": \"經\", \"work\": \"論語\", \"volume\": \"卷一\", \"page_no\": 1, \"page_id\": 0, "
              "\"anchor\": 0, \"layer\": \"main\", \"left\": \"\", \"match\": \"學而時習\", \"right\": \"\"}\n");
}

TEST_F(KwicStats, StatsPerNodeWithCharactersRatesAndMarks)
{
    const test::CommandResult result = RunTool(Data(), {"stats", "不"});
    EXPECT_EQ(result.code, 0);
    EXPECT_EQ(result.out, "經\t3\t4\t25\t1600.00\t4\n"
                          "經/論語\t3\t4\t25\t1600.00\t4\n"
                          "經/論語/卷一\t2\t2\t19\t1052.63\t2\n"
                          "經/論語/卷二\t1\t2\t6\t3333.33\t2\n"
                          "詩\t1\t1\t11\t909.09\t1\n"
                          "詩/詩經\t1\t1\t11\t909.09\t1\n"
                          "詩/詩經/國風\t1\t1\t11\t909.09\t1\n"
                          "全部で 4 頁で、5 箇所でした。用例 5 件。\n");
    EXPECT_EQ(RunTool(Data(), {"stats", "--level", "1", "--csv", "--target", "main", "不"}).out,
              "path,pages,places,characters,rate,marked\r\n"
              "經,3,4,25,1600.00,4\r\n");
    // A scope lists its node and what lies below it.
    EXPECT_EQ(RunTool(Data(), {"stats", "--scope", "3", "--json", "不"}).out,
              "{\"path\": \"經/論語/卷一\", \"pages\": 2, \"places\": 2, \"characters\": 19, \"rate\": 1052.63, "
              "\"marked\": 2}\n");
}

TEST_F(KwicStats, KeywordsReadAsSearchReadsThem)
{
    // An excluded term drops 卷二's page; the rows are those of the terms to find.
    EXPECT_EQ(RunTool(Data(), {"kwic", "--context", "1", "--tsv", "不 -知"}).out,
              "category\twork\tvolume\tpage_no\tpage_id\tanchor\tlayer\tleft\tmatch\tright\n"
              "經\t論語\t卷一\t1\t0\t0\tmain\t,\t不\t亦\n"
              "經\t論語\t卷一\t2\t1\t0\tmain\t,\t不\t亦\n"
              "詩\t詩經\t國風\t5\t3\t0\tannot\t鳩\t不\t亦\n");
    EXPECT_EQ(RunTool(Data(), {"stats", "--level", "1", "--csv", "不 -知"}).out,
              "path,pages,places,characters,rate,marked\r\n經,2,2,25,800.00,2\r\n詩,1,1,11,909.09,1\r\n");
    // A code-point form is the character it names.
    EXPECT_EQ(RunTool(Data(), {"kwic", "U+4E0D"}).out, RunTool(Data(), {"kwic", "不"}).out);
    EXPECT_EQ(RunTool(Data(), {"kwic", "-不"}).code, 3); // excluded terms only
}

TEST_F(KwicStats, ExitCodesAsForSearch)
{
    struct Case {
        std::vector<std::string> args;
        int code;
    } cases[] = {
        {{"kwic"}, 2},
        {{"kwic", "--context", "101", "不"}, 2},
        {{"kwic", "--context"}, 2},
        {{"kwic", "--sort", "middle", "不"}, 2},
        {{"kwic", "--csv", "--json", "不"}, 2},
        {{"kwic", "--raw", "不"}, 2},
        {{"kwic", "abc"}, 3},
        {{"kwic", "\xE4\xB8"}, 3}, // not UTF-8
        {{"kwic", "--scope", "99", "不"}, 5},
        {{"kwic", "鳳"}, 0},
        {{"stats", "--level", "0", "不"}, 2},
        {{"stats", "--level", "4", "不"}, 2},
        {{"stats", "x"}, 3},
        {{"stats", "--scope", "0", "不"}, 5},
    };
    for (const Case& c : cases) {
        std::string shown;
        for (const std::string& arg : c.args)
            shown += arg + " ";
        EXPECT_EQ(RunTool(Data(), c.args).code, c.code) << shown;
    }
    EXPECT_EQ(RunTool(Data(), {"kwic", "鳳"}).out, "全部で 0 頁で、0 箇所でした。用例 0 件。\n");
    EXPECT_EQ(RunTool(Data() / "missing", {"stats", "不"}).code, 4);
}

} // namespace
} // namespace vesk
