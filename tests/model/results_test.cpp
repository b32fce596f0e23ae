// Turning the engine's pages into result records for a scope node.
#include "pane/model/results.h"

#include <gtest/gtest.h>

namespace vesk {
namespace {

// 類 (pages 1..10) > 書A (1..6) > 巻一 (1..3, numbered from 1), 巻二 (4..6, numbered from 1)
//                  > 書B (7..10) > 巻 (7..10, numbered from 21)
class Results : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_category = Add(m_root, u"類", 1, 1, 10, 1);
        m_workA = Add(*m_category, u"書A", 2, 1, 6, 1);
        m_volume1 = Add(*m_workA, u"巻一", 3, 1, 3, 1);
        m_volume2 = Add(*m_workA, u"巻二", 3, 4, 3, 1);
        m_workB = Add(*m_category, u"書B", 2, 7, 4, 21);
        Add(*m_workB, u"巻", 3, 7, 4, 21);
    }
    static ContentsNodeTag* Add(ContentsNodeTag& parent, std::u16string name, std::int32_t level, std::int32_t docID,
                                std::int32_t docNo, std::uint16_t first)
    {
        auto node = std::make_unique<ContentsNodeTag>();
        node->name = std::move(name);
        node->level = level;
        node->docID = docID;
        node->docNo = docNo;
        node->curFileName = first;
        node->parent = &parent;
        parent.children.push_back(std::move(node));
        return parent.children.back().get();
    }

    ContentsNodeTag m_root;
    ContentsNodeTag *m_category = nullptr, *m_workA = nullptr, *m_volume1 = nullptr, *m_volume2 = nullptr,
                    *m_workB = nullptr;
    // Page identifiers are 0-based: page id 3 is page 4, the first page of 巻二.
    const std::vector<std::uint32_t> m_pages = {8, 3, 0, 5, 1, 42};
    const std::vector<std::uint32_t> m_counts = {2, 3, 4, 5, 6, 7};
};

TEST_F(Results, CategoryScopeNamesWorkAndVolumeAndSortsByPageNumberThenPageId)
{
    std::vector<SearchNodeTag> records;
    EXPECT_EQ(BuildResults(m_category, m_pages, m_counts, records), 2 + 3 + 4 + 5 + 6);
    ASSERT_EQ(records.size(), 5u);
    const std::vector<std::pair<std::uint32_t, std::uint32_t>> order = {{0, 1}, {3, 1}, {1, 2}, {5, 3}, {8, 23}};
    for (std::size_t i = 0; i < records.size(); ++i) {
        EXPECT_EQ(records[i].nPageID, order[i].first) << i;
        EXPECT_EQ(records[i].nPageNo, order[i].second) << i;
        EXPECT_EQ(records[i].strCategory, u"類");
    }
    EXPECT_EQ(records[1].strTitle, u"書A");
    EXPECT_EQ(records[1].strVolume, u"巻二");
    EXPECT_EQ(records[1].nCount, 3u);
    EXPECT_EQ(records[4].strTitle, u"書B");
}

TEST_F(Results, NarrowerScopesDropPagesOutsideTheirRange)
{
    std::vector<SearchNodeTag> records;
    EXPECT_EQ(BuildResults(m_workA, m_pages, m_counts, records), 3 + 4 + 5 + 6);
    EXPECT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0].strCategory, u"類");
    EXPECT_EQ(records[0].strTitle, u"書A");

    EXPECT_EQ(BuildResults(m_volume1, m_pages, m_counts, records), 4 + 6);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].strCategory, u"類");
    EXPECT_EQ(records[0].strTitle, u"書A");
    EXPECT_EQ(records[0].strVolume, u"巻一");
    EXPECT_EQ(records[1].nPageNo, 2u);

    EXPECT_EQ(BuildResults(nullptr, m_pages, m_counts, records), 0);
    EXPECT_TRUE(records.empty());
}

TEST(ResultPages, HundredRecordsPerListPage)
{
    const std::pair<std::int32_t, std::int32_t> cases[] = {{0, 0}, {1, 1}, {100, 1}, {101, 2}, {250, 3}};
    for (const auto& [records, pages] : cases)
        EXPECT_EQ(ResultPageCount(records), pages) << records;
    EXPECT_EQ(FormatSummary(12, 345), "全部で 12 頁で、345 箇所でした。");
}

} // namespace
} // namespace vesk

namespace vesk {
namespace {

// BuildResults finds the work and volume of a page through the ranges of the
// scope's nodes; the records must be those MakeResultRecord makes by trying
// the nodes in order, whether the ranges ascend apart, overlap, or wrap.
TEST(ResultsByRanges, SameRecordsAsTryingEveryNode)
{
    struct Layout {
        const char* what;
        std::vector<std::pair<std::int32_t, std::int32_t>> volumes; // docID, docNo
    };
    const Layout layouts[] = {
        {"apart", {{1, 5}, {6, 3}, {9, 10}, {25, 4}, {29, 2}}},
        {"overlapping", {{1, 8}, {6, 3}, {4, 10}, {25, 4}, {20, 12}}},
        {"with an empty volume", {{1, 5}, {6, 0}, {7, 10}, {25, 4}, {29, 2}}},
    };
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(layout.what);
        ContentsNodeTag root;
        auto category = std::make_unique<ContentsNodeTag>();
        category->name = u"類";
        category->level = 1;
        category->docID = 1;
        category->docNo = 40;
        category->parent = &root;
        for (std::size_t w = 0; w < 2; ++w) {
            auto work = std::make_unique<ContentsNodeTag>();
            work->name = w == 0 ? u"甲" : u"乙";
            work->level = 2;
            work->parent = category.get();
            for (std::size_t v = w * 3; v < std::min<std::size_t>(w * 3 + 3, layout.volumes.size()); ++v) {
                auto volume = std::make_unique<ContentsNodeTag>();
                volume->name = std::u16string(1, static_cast<char16_t>(u'一' + v));
                volume->level = 3;
                volume->docID = layout.volumes[v].first;
                volume->docNo = layout.volumes[v].second;
                volume->curFileName = static_cast<std::uint16_t>(v * 7 + 1);
                volume->parent = work.get();
                work->children.push_back(std::move(volume));
            }
            work->docID = work->children.front()->docID;
            work->docNo = 20;
            category->children.push_back(std::move(work));
        }
        std::vector<std::uint32_t> pages, counts;
        for (std::uint32_t p = 0; p < 45; ++p) {
            pages.push_back((p * 17) % 45);
            counts.push_back(p % 3 + 1);
        }
        for (const ContentsNodeTag* scope : {category.get(), category->children[0].get(), category->children[1].get()}) {
            std::vector<SearchNodeTag> expected, actual;
            for (std::size_t i = 0; i < pages.size(); ++i)
                if (scope->ContainsPage(pages[i] + 1))
                    expected.push_back(MakeResultRecord(*scope, pages[i], counts[i]));
            std::sort(expected.begin(), expected.end(), [](const SearchNodeTag& a, const SearchNodeTag& b) {
                return a.nPageNo != b.nPageNo ? a.nPageNo < b.nPageNo : a.nPageID < b.nPageID;
            });
            BuildResults(scope, pages, counts, actual);
            ASSERT_EQ(actual.size(), expected.size());
            for (std::size_t i = 0; i < actual.size(); ++i) {
                EXPECT_EQ(actual[i].nPageID, expected[i].nPageID);
                EXPECT_EQ(actual[i].nPageNo, expected[i].nPageNo);
                EXPECT_EQ(actual[i].strTitle, expected[i].strTitle);
                EXPECT_EQ(actual[i].strVolume, expected[i].strVolume);
                EXPECT_EQ(actual[i].strCategory, expected[i].strCategory);
            }
        }
    }
}

} // namespace
} // namespace vesk
