// vesk-tool render against vesk-tool search on a generated data folder: every
// page a search finds, rendered for the same layer, carries one anchor for
// each occurrence of the keyword that lies inside one stretch of its text
// cell (an occurrence joined across a note in the main-text layer is found
// but not marked).
#include "support/data_folder.h"
#include "support/run_command.h"
#include "textstore/hit_page.h"
#include "textstore/page_parser.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

namespace vesk {
namespace {

using ToolRun = test::CommandResult;
using test::ShellQuote;

// Runs vesk-tool with args; standard error is dropped unless errPath is given.
ToolRun Tool(const std::vector<std::string>& args, const std::filesystem::path& errPath = "/dev/null")
{
    std::string command = ShellQuote(std::string(VESK_BIN_DIR) + "/vesk-tool");
    for (const std::string& a : args)
        command.append(" ").append(ShellQuote(a));
    command.append(" 2>").append(ShellQuote(errPath.string()));
    return test::RunCommand(command);
}

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::size_t Count(std::string_view text, std::string_view what, bool overlapping = true)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string_view::npos;
         at = text.find(what, at + (overlapping ? 1 : what.size())))
        ++n;
    return n;
}

// Occurrences of a plain keyword, without overlaps, inside the stretches of
// the stored page's text cell that target marks.
std::size_t MarkableOccurrences(const std::string& stored, std::uint32_t pageNumber,
                                const std::string& keyword, std::int32_t target)
{
    HTMLNodes nodes;
    ParsePage(stored, nodes);
    FilterItems items;
    FilterAnnotations(*nodes[TextCellOfPage(pageNumber) + 1], items);
    std::size_t n = 0;
    for (const auto& item : items) {
        const bool note = item->kind == 1;
        if ((note && target != kTargetMain) || (!note && target != kTargetAnnotations))
            n += Count(item->text, keyword, false);
    }
    return n;
}

class RenderTool : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_dir = new test::TempDir;
        // Pages 1.. of one volume; odd pages keep their text in the second cell.
        s_cells = {
            "學而時習之，不亦說乎。學而不思則罔",
            "有朋自遠方來" + test::Note("學而時習之") + "學",
            "學" + test::Note("注") + "而時習之", // 學而 joined across a note
            "学而时习之",
            "人不知而不慍" + test::Note("學學學"),
        };
        const auto corpus = test::CorpusBuilder()
                                .Category("經")
                                .Work("論語")
                                .Volume("學而", s_cells)
                                .Variants("5B78,5B66\n7FD2,4E60\n6642,65F6\n")
                                .Take();
        ASSERT_TRUE(test::MakeDataFolder(corpus, s_dir->path()));
    }
    static void TearDownTestSuite()
    {
        delete s_dir;
        s_dir = nullptr;
    }

    static test::TempDir* s_dir;
    static std::vector<std::string> s_cells;
};

test::TempDir* RenderTool::s_dir = nullptr;
std::vector<std::string> RenderTool::s_cells;

TEST_F(RenderTool, EveryFoundPageCarriesAnAnchorPerMarkableOccurrence)
{
    const struct {
        const char* name;
        std::int32_t target;
    } targets[] = {{"whole", kTargetWhole}, {"main", kTargetMain}, {"annot", kTargetAnnotations}};
    const auto data = s_dir->path().string();
    const auto out = (*s_dir / "hit.html").string();
    std::uint32_t found = 0;
    for (const auto& t : targets) {
        for (const std::string keyword : {"學", "學而", "時習之", "不"}) {
            const ToolRun search = Tool({"search", "--data", data, "--raw", "--target", t.name, keyword});
            ASSERT_EQ(search.code, 0) << keyword;
            std::istringstream lines(search.out);
            std::uint32_t pageId = 0, places = 0, pages = 0;
            while (lines >> pageId >> places) {
                ++pages;
                const ToolRun render = Tool({"render", "--data", data, "--id", std::to_string(pageId), "--target",
                                         t.name, "-o", out, keyword});
                ASSERT_EQ(render.code, 0);
                const std::string page = ReadFile(out);
                const std::size_t expected = MarkableOccurrences(
                    test::MakePage(pageId + 1, s_cells.at(pageId)), pageId + 1, keyword, t.target);
                EXPECT_EQ(render.out, std::to_string(expected) + "\n") << t.name << " " << keyword << " " << pageId;
                EXPECT_EQ(Count(page, "<a name="), expected);
                EXPECT_LE(expected, places);
            }
            found += pages;
        }
    }
    EXPECT_EQ(found, 24u); // whole 11, main 9, annotations 4
}

TEST_F(RenderTool, OccurrenceJoinedAcrossANoteIsFoundButNotMarked)
{
    const auto data = s_dir->path().string();
    EXPECT_EQ(Tool({"search", "--data", data, "--raw", "--target", "main", "學而"}).out, "0\t2\n2\t1\n");
    EXPECT_EQ(Tool({"render", "--data", data, "--id", "2", "--target", "main", "-o", *s_dir / "p.html", "學而"}).out,
              "0\n");
}

TEST_F(RenderTool, VariantsMarkEverySpelling)
{
    const auto data = s_dir->path().string();
    const auto err = *s_dir / "err.txt";
    // without -o the page goes to standard output and the count to standard error
    const ToolRun plain = Tool({"render", "--data", data, "--id", "3", "學而時習之"}, err);
    EXPECT_EQ(plain.code, 0);
    EXPECT_EQ(ReadFile(err), "anchors: 0\n");
    EXPECT_EQ(plain.out.rfind(kFramePiece1, 0), 0u);

    const ToolRun variants = Tool({"render", "--data", data, "--id", "3", "--variants", "學而時習之"}, err);
    EXPECT_EQ(ReadFile(err), "anchors: 1\n");
    EXPECT_EQ(Count(variants.out, "<a name="), 1u);

    // several words are terms of one keyword: anchors of 學 first, then of 之
    const ToolRun terms = Tool({"render", "--data", data, "--id", "0", "-o", *s_dir / "t.html", "學", "之"});
    EXPECT_EQ(terms.out, "3\n");
    const std::string page = ReadFile(*s_dir / "t.html");
    EXPECT_LT(page.find("<a name=\"0002\"></a><b style='color:red;background:#D9D9D9;'>之"),
              page.find("<a name=\"0001\"></a><b style='color:red;background:#D9D9D9;'>學"));
}

TEST_F(RenderTool, ExitCodes)
{
    const auto data = s_dir->path().string();
    const auto missing = (*s_dir / "missing").string();
    const struct {
        std::vector<std::string> args;
        int exitCode;
    } cases[] = {
        {{"render", "--data", data, "--id", "5", "學"}, 5},
        {{"render", "--data", data, "--id", "4294967296", "學"}, 5},
        {{"render", "--data", data, "學"}, 2},
        {{"render", "--data", data, "--id", "0"}, 2},
        {{"render", "--data", data, "--id", "x", "學"}, 2},
        {{"render", "--data", data, "--id", "0", "--target", "notes", "學"}, 2},
        {{"render", "--data", data, "--id", "0", "-o", (*s_dir / "no" / "such.html").string(), "學"}, 6},
        {{"render", "--data", missing, "--id", "0", "學"}, 4},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Tool(c.args).code, c.exitCode) << c.args[4];
}

} // namespace
} // namespace vesk
