// Hit pages through the engine: page store entries, their page numbers, the
// variant table of the data folder, and what a closed or damaged store gives.
#include "engine/index.h"
#include "support/data_folder.h"
#include "textstore/hit_page.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace vesk {
namespace {

std::size_t Count(std::string_view text, std::string_view what)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string_view::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

class IndexRender : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto corpus = test::CorpusBuilder()
                                .Category("經")
                                .Work("論語")
                                // pages 1 and 2: the text lies in the second, then the first cell
                                .Volume("學而", {"學而時習之" + test::Note("学習"), "学而學"})
                                .Variants("5B78,5B66\n7FD2,4E60\n")
                                .Take();
        ASSERT_TRUE(test::MakeDataFolder(corpus, m_dir.path()));
        ASSERT_EQ(m_index.Open(m_dir.path(), "Index", kIndexWhole), 1);
    }

    test::TempDir m_dir;
    CIndex m_index;
};

TEST_F(IndexRender, MarksTheTextCellOfEachPage)
{
    const struct {
        std::uint32_t pageId;
        std::u16string keyword;
        std::int32_t target;
        bool variants;
        std::int32_t anchors;
    } cases[] = {
        {0, u"學", kTargetWhole, false, 1},
        {0, u"學", kTargetWhole, true, 2},
        {0, u"學\u3000習", kTargetWhole, true, 4},
        {0, u"學\u3000習", kTargetMain, true, 2},
        {0, u"學\u3000習", kTargetAnnotations, true, 2},
        {1, u"學", kTargetWhole, false, 1},
        {1, u"学", kTargetWhole, true, 2},
        {1, u"学*學", kTargetWhole, true, 2}, // one hit, two anchors
    };
    for (const auto& c : cases) {
        std::string page;
        EXPECT_EQ(m_index.RenderHitPage(c.pageId, page, c.keyword, c.target, c.variants), c.anchors)
            << c.pageId << " " << c.target << " " << c.variants;
        EXPECT_EQ(Count(page, "<a name="), static_cast<std::size_t>(c.anchors));
        // the page is framed, and the title is never marked
        EXPECT_EQ(page.rfind(kFramePiece1, 0), 0u);
        EXPECT_EQ(Count(page, "<title><a name"), 0u);
    }
}

TEST_F(IndexRender, NothingToRenderLeavesThePageUntouched)
{
    std::string page = "untouched";
    EXPECT_EQ(m_index.RenderHitPage(0, page, u"", kTargetWhole, false), 0);
    EXPECT_EQ(m_index.RenderHitPage(0, page, u"", kTargetWhole, true), 0);
    EXPECT_EQ(m_index.RenderHitPage(0, page, u"\u3000 ", kTargetWhole, true), 0);
    EXPECT_EQ(m_index.RenderHitPage(2, page, u"學", kTargetWhole, false), 0); // no such page
    EXPECT_EQ(page, "untouched");

    m_index.Close();
    EXPECT_EQ(m_index.RenderHitPage(0, page, u"學", kTargetWhole, true), 0);
    EXPECT_EQ(page, "untouched");
}

TEST_F(IndexRender, DamagedStoreRendersNothing)
{
    // the content file now ends with the first page
    std::uint32_t end = 0, length = 0;
    ASSERT_TRUE(m_index.FileList().ReadEntryBounds(0, end, length));
    m_index.Close();
    std::filesystem::resize_file(m_dir / "Index-fl.cnt", end);
    ASSERT_EQ(m_index.Open(m_dir.path(), "Index", kIndexWhole), 1);
    std::string page = "untouched";
    EXPECT_EQ(m_index.RenderHitPage(1, page, u"學", kTargetWhole, true), 0);
    EXPECT_EQ(page, "untouched");
    EXPECT_EQ(m_index.RenderHitPage(0, page, u"學", kTargetWhole, true), 2);
}

TEST_F(IndexRender, ExpandsWithTheFoldersTable)
{
    EXPECT_EQ(m_index.ExpandVariants(u"學習"),
              (std::vector<std::u16string>{u"學習", u"學习", u"学習", u"学习"}));
}

} // namespace
} // namespace vesk
