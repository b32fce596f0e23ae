// Bookmarks name their page by its place in the contents: they find it again
// after the data folder is rebuilt with the records moved, and find nothing
// (rather than another page) when the volume or the page is gone.
#include "engine/index.h"
#include "pane/model/contents_model.h"
#include "reading/model/bookmark.h"
#include "support/data_folder.h"

#include <gtest/gtest.h>

namespace vesk {
namespace {

struct Data {
    test::TempDir dir;
    ContentsModel contents;
    CIndex index;
};

// 經 論語 {卷一: pages 1..3}; 詩 詩經 {國風: pages 5..6}; with extra, a
// volume 序 is put before 卷一, so every later record moves one slot on.
void Build(Data& data, bool extra)
{
    test::CorpusBuilder builder;
    builder.Category("經").Work("論語");
    if (extra)
        builder.Volume("序", {"序文"}, 1, "pre");
    builder.Volume("卷一", {"學而", "不亦", "有朋"}, 1, "v1")
        .Category("詩")
        .Work("詩經")
        .Volume("國風", {"关关", "在河"}, 5, "v2");
    ASSERT_TRUE(test::MakeDataFolder(builder.corpus(), data.dir.path()));
    ASSERT_TRUE(data.contents.LoadContents(data.dir.path()));
    ASSERT_EQ(data.index.Open(data.dir.path(), "Index", kIndexWhole), 1);
}

TEST(Bookmark, NamesThePageAndFindsItAfterARebuild)
{
    Data before;
    Build(before, false);
    const std::optional<BookmarkTag> hit = BookmarkOfPage(before.contents, 4); // 國風 page 6
    ASSERT_TRUE(hit.has_value());
    EXPECT_EQ(hit->vecPath, (std::vector<std::u16string>{u"詩", u"詩經", u"國風"}));
    EXPECT_EQ(hit->nPageNo, 6);
    EXPECT_EQ(hit->nRecordHint, 6);
    const std::optional<BookmarkTag> read = BookmarkOfVolumePage(before.contents, 3, 2);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->vecPath, (std::vector<std::u16string>{u"經", u"論語", u"卷一"}));
    EXPECT_FALSE(BookmarkOfVolumePage(before.contents, 99, 1).has_value());
    EXPECT_FALSE(BookmarkOfPage(before.contents, 5).has_value()); // past the last page

    const auto target = ResolveBookmark(before.contents, before.index.FileList(), *hit);
    ASSERT_TRUE(target.has_value());
    EXPECT_EQ(target->record, 6);
    EXPECT_EQ(target->pageId, 4u);

    // Rebuilt with a volume more: the hinted slot now holds 論語's 卷一,
    // so the names lead to 國風 in its new slot.
    Data after;
    Build(after, true);
    const auto moved = ResolveBookmark(after.contents, after.index.FileList(), *hit);
    ASSERT_TRUE(moved.has_value());
    EXPECT_EQ(moved->record, 7);
    EXPECT_EQ(moved->pageId, 5u);
    const auto first = ResolveBookmark(after.contents, after.index.FileList(), *read);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->record, 4);
    EXPECT_EQ(first->pageId, 2u);
}

TEST(Bookmark, AGoneVolumeOrPageFindsNothing)
{
    Data data;
    Build(data, false);
    BookmarkTag bookmark = *BookmarkOfVolumePage(data.contents, 3, 1);
    for (const std::int32_t page : {0, 4, 5, -1, 70000}) {
        bookmark.nPageNo = page; // 卷一 holds pages 1..3; 5 belongs to 國風
        EXPECT_FALSE(ResolveBookmark(data.contents, data.index.FileList(), bookmark).has_value()) << page;
    }
    bookmark.nPageNo = 1;
    bookmark.vecPath.back() = u"卷九";
    EXPECT_FALSE(ResolveBookmark(data.contents, data.index.FileList(), bookmark).has_value());
    bookmark.vecPath = {u"經", u"論語"}; // a work is not a volume of pages here
    EXPECT_FALSE(ResolveBookmark(data.contents, data.index.FileList(), bookmark).has_value());
}

} // namespace
} // namespace vesk
