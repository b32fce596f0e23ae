// Reading a source corpus folder: contents.txt, the volume folders and the
// variant table, and one clear line for each kind of bad input.
#include "builder/builder.h"
#include "support/data_folder.h"

#include <gtest/gtest.h>

#include <fstream>

namespace vesk::test {
namespace {

namespace fs = std::filesystem;

void WriteText(const fs::path& path, std::string_view text)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

TEST(SourceReader, ReadsBackWhatWasWritten)
{
    const auto corpus = CorpusBuilder()
                            .Category("經").Work("論語")
                            .Volume("學而", {"甲", "乙", "丙"}, 7, "lunyu/xue-er")
                            .Work("孟子")
                            .Volume("梁惠王", {"丁"}, 1, "mengzi")
                            .Variants("5B78,5B66\n")
                            .Take();
    TempDir dir;
    WriteSourceFolder(corpus, dir.path());
    build::SourceCorpus read;
    std::string error;
    ASSERT_TRUE(build::ReadSourceCorpus(dir.path(), read, error)) << error;
    ASSERT_EQ(read.nodes.size(), corpus.nodes.size());
    for (std::size_t i = 0; i < read.nodes.size(); ++i) {
        EXPECT_EQ(read.nodes[i].level, corpus.nodes[i].level);
        EXPECT_EQ(read.nodes[i].name, corpus.nodes[i].name);
        EXPECT_EQ(read.nodes[i].folder, corpus.nodes[i].folder);
        EXPECT_EQ(read.nodes[i].firstPage, corpus.nodes[i].firstPage);
        EXPECT_EQ(read.nodes[i].pages, corpus.nodes[i].pages);
        EXPECT_EQ(read.nodes[i].sourceLine, static_cast<int>(i) + 1);
    }
    EXPECT_EQ(read.variantTable, corpus.variantTable);
}

TEST(SourceReader, SkipsCommentsBlankLinesCarriageReturnsAndOtherFiles)
{
    TempDir dir;
    WriteText(dir / "contents.txt", "# contents\r\n\r\n1\t經\r\n2\t書\r\n\n3\t卷\tv\r\n");
    WriteText(dir / "v" / "12.htm", "twelve");
    WriteText(dir / "v" / "0011.htm", "eleven");
    WriteText(dir / "v" / "notes.txt", "ignored");
    WriteText(dir / "v" / "0013.html", "ignored");
    build::SourceCorpus read;
    std::string error;
    ASSERT_TRUE(build::ReadSourceCorpus(dir.path(), read, error)) << error;
    ASSERT_EQ(read.nodes.size(), 3u);
    EXPECT_EQ(read.nodes[0].name, "經");
    EXPECT_EQ(read.nodes[2].folder, "v");
    EXPECT_EQ(read.nodes[2].firstPage, 11);
    EXPECT_EQ(read.nodes[2].pages, (std::vector<std::string>{"eleven", "twelve"}));
    EXPECT_EQ(read.nodes[2].sourceLine, 6);
    EXPECT_TRUE(read.variantTable.empty());
}

TEST(SourceReader, BadInputIsOneLineNamingTheFile)
{
    struct Case {
        const char* what;
        const char* contents;                 // nullptr: no contents.txt
        std::vector<const char*> pages;       // files in folder "v"
        const char* error;
    };
    const Case cases[] = {
        {"no contents file", nullptr, {}, "contents.txt: the contents file is missing"},
        {"a bad level", "1\tA\n4\tB\n", {}, "contents.txt line 2: the level \"4\""},
        {"a volume without folder", "1\tA\n2\tB\n3\tC\n", {}, "line 3: a volume line needs"},
        {"a work with a folder", "1\tA\n2\tB\tv\n", {}, "line 2: a category or work line"},
        {"a folder leaving the source", "1\tA\n2\tB\n3\tC\t../v\n", {}, "not a valid volume folder"},
        {"a work before its category", "# x\n2\tB\n", {}, "contents.txt line 2 (\"B\"): level 2 has no node of level 1"},
        {"a missing volume folder", "1\tA\n2\tB\n3\tC\tw\n", {}, "cannot read the volume folder"},
        {"a volume without pages", "1\tA\n2\tB\n3\tC\tv\n", {"readme.txt"}, "the volume has no pages"},
        {"a gap in the pages", "1\tA\n2\tB\n3\tC\tv\n", {"0001.htm", "0003.htm"}, "not consecutive"},
        {"page 0", "1\tA\n2\tB\n3\tC\tv\n", {"0.htm", "1.htm"}, "page numbers must lie in 1 .. 65535"},
        {"a page above 65535", "1\tA\n2\tB\n3\tC\tv\n", {"65536.htm"}, "page numbers must lie in 1 .. 65535"},
        {"two files for one page", "1\tA\n2\tB\n3\tC\tv\n", {"1.htm", "0001.htm"}, "two files for page 1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        if (c.contents)
            WriteText(dir / "contents.txt", c.contents);
        fs::create_directories(dir / "v");
        for (const char* page : c.pages)
            WriteText(dir / "v" / page, "x");
        build::SourceCorpus read;
        std::string error;
        EXPECT_FALSE(build::ReadSourceCorpus(dir.path(), read, error));
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
        EXPECT_NE(error.find(dir.path().string()), std::string::npos) << "names the file: " << error;
        EXPECT_EQ(error.find('\n'), std::string::npos);
    }
}

} // namespace
} // namespace vesk::test
