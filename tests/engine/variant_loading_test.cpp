// The index parses its variant table at the first search, page or expansion
// that asks for variants: every call sequence gives what reading the table
// at Open gave, whichever folder and type were opened last.
#include "support/data_folder.h"
#include "support/search_helpers.h"

#include <gtest/gtest.h>

namespace vesk {
namespace {

namespace fs = std::filesystem;
using test::Hits;

class VariantLoading : public ::testing::Test {
protected:
    // The same four pages (學, 学, 甲, 乙: page ids 0 to 3) with 學 and 学 as
    // variants in folder A, 甲 and 乙 in folder B.
    static void SetUpTestSuite()
    {
        s_a = new test::TempDir;
        s_b = new test::TempDir;
        for (const auto& [dir, table] : {std::pair{s_a, "5B78,5B66\n"}, std::pair{s_b, "7532,4E59\n"}}) {
            const auto corpus = test::CorpusBuilder()
                                    .Category("類")
                                    .Work("書")
                                    .Volume("巻", {"學", "学", "甲", "乙"})
                                    .Variants(table)
                                    .Take();
            ASSERT_TRUE(test::MakeDataFolder(corpus, dir->path()));
        }
    }
    static void TearDownTestSuite()
    {
        delete s_a;
        delete s_b;
    }

    static test::TempDir* s_a;
    static test::TempDir* s_b;
};

test::TempDir* VariantLoading::s_a = nullptr;
test::TempDir* VariantLoading::s_b = nullptr;

const Hits kStudyOnly = {{0, 1}};
const Hits kStudyWithVariants = {{0, 1}, {1, 1}};
const Hits kFirstOnly = {{2, 1}};
const Hits kFirstWithVariants = {{2, 1}, {3, 1}};

TEST_F(VariantLoading, EachOpenUsesTheTableOfItsFolder)
{
    CIndex index;
    ASSERT_EQ(index.Open(s_a->path(), "Index", kIndexWhole), 1);
    EXPECT_EQ(test::Search(index, u"學", false, true), kStudyWithVariants);
    EXPECT_EQ(test::Search(index, u"甲", false, true), kFirstOnly);

    // Another folder; expansion is the first to ask.
    ASSERT_EQ(index.Open(s_b->path(), "Index", kIndexWhole), 1);
    EXPECT_EQ(index.ExpandVariants(u"甲"), (std::vector<std::u16string>{u"甲", u"乙"}));
    EXPECT_EQ(test::Search(index, u"甲", false, true), kFirstWithVariants);
    EXPECT_EQ(test::Search(index, u"學", false, true), kStudyOnly);

    // Opened twice with no lookup between: the last folder counts, for
    // another type as well.
    ASSERT_EQ(index.Open(s_b->path(), "Index", kIndexMain), 1);
    ASSERT_EQ(index.Open(s_a->path(), "Index", kIndexMain), 1);
    EXPECT_EQ(test::Search(index, u"學", true, true), kStudyWithVariants);

    // A hit page is the first to ask.
    ASSERT_EQ(index.Open(s_b->path(), "Index", kIndexWhole), 1);
    std::string page;
    EXPECT_EQ(index.RenderHitPage(3, page, u"甲", 0, true), 1);
    EXPECT_EQ(index.RenderHitPage(1, page, u"學", 0, true), 0);

    // Close keeps the table of the last Open.
    index.Close();
    EXPECT_EQ(index.ExpandVariants(u"甲"), (std::vector<std::u16string>{u"甲", u"乙"}));
    EXPECT_TRUE(test::Search(index, u"甲", false, true).empty());
}

TEST_F(VariantLoading, AFailedOpenStillTakesTheFoldersTable)
{
    test::TempDir copy;
    fs::copy(s_a->path(), copy.path(), fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    fs::remove(copy / "Index-idx.h");
    CIndex index;
    ASSERT_EQ(index.Open(s_b->path(), "Index", kIndexWhole), 1);
    test::ReportCapture capture;
    EXPECT_EQ(index.Open(copy.path(), "Index", kIndexWhole), 0);
    EXPECT_EQ(capture.messages, std::vector<std::string>{std::string(kMessageCannotOpenData)});
    EXPECT_EQ(index.ExpandVariants(u"學"), (std::vector<std::u16string>{u"學", u"学"}));
    EXPECT_TRUE(test::Search(index, u"學", false, true).empty());
}

TEST_F(VariantLoading, TheTableIsTheFileFoundAtOpen)
{
    test::TempDir copy;
    fs::copy(s_a->path(), copy.path(), fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    CIndex index;
    ASSERT_EQ(index.Open(copy.path(), "Index", kIndexWhole), 1);
    // Replaced before the first lookup, as a rebuild of the folder would.
    fs::copy_file(s_b->path() / "yitizi.txt", copy / "yitizi.new");
    fs::rename(copy / "yitizi.new", copy / "yitizi.txt");
    EXPECT_EQ(test::Search(index, u"學", false, true), kStudyWithVariants);
    EXPECT_EQ(test::Search(index, u"甲", false, true), kFirstOnly);
    // The next Open reads the new file.
    ASSERT_EQ(index.Open(copy.path(), "Index", kIndexWhole), 1);
    EXPECT_EQ(test::Search(index, u"學", false, true), kStudyOnly);
}

} // namespace
} // namespace vesk
