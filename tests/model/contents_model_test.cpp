// Loading "kav.dir" into the record slots and the node tree.
#include "pane/model/contents_model.h"
#include "support/data_folder.h"
#include "support/search_helpers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <fstream>
#include <optional>
#include <thread>

namespace vesk {
namespace {

namespace fs = std::filesystem;

struct Rec {
    std::u16string name;
    std::int32_t level, docID, docNo;
    std::uint16_t curFileName;
};

std::string RecordBytes(const Rec& r)
{
    std::string out(kContentsRecordSize, '\0');
    for (std::size_t i = 0; i < r.name.size() && i < 99; ++i) {
        out[2 * i] = static_cast<char>(r.name[i]);
        out[2 * i + 1] = static_cast<char>(r.name[i] >> 8);
    }
    const auto put = [&](std::size_t at, std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out[at + static_cast<std::size_t>(i)] = static_cast<char>(v >> (8 * i));
    };
    put(200, static_cast<std::uint32_t>(r.level), 4);
    put(204, static_cast<std::uint32_t>(r.docID), 4);
    put(208, static_cast<std::uint32_t>(r.docNo), 4);
    put(212, r.curFileName, 2);
    put(214, 0xBEEF, 2); // padding is not read
    return out;
}

void WriteContents(const fs::path& dir, const std::vector<Rec>& records, const std::string& tail = {})
{
    std::ofstream out(dir / "kav.dir", std::ios::binary);
    for (const Rec& r : records)
        out << RecordBytes(r);
    out << tail;
}

const std::vector<Rec> kTwoWorks = {
    {u"經", 1, 1, 8, 1},   {u"論語", 2, 1, 4, 1}, {u"卷一", 3, 1, 2, 1},
    {u"卷二", 3, 3, 2, 5}, {u"孟子", 2, 5, 4, 1}, {u"卷一", 3, 5, 2, 1},
    {u"卷二", 3, 7, 2, 3},
};

TEST(ContentsModel, LoadsRecordsIntoSlotsAndNodesIntoATree)
{
    test::TempDir dir;
    WriteContents(dir.path(), {{u"類", 1, 1, 3, 1}, {u"書", 2, 1, 3, 1}, {u"巻", 3, 1, 3, 1}});
    ContentsModel model;
    ASSERT_TRUE(model.LoadContents(dir.path()));
    EXPECT_EQ(model.m_nRecordCount, 4);
    EXPECT_EQ(model.Record(0).level, 0) << "slot 0 stays empty";
    EXPECT_EQ(model.Record(3).Name(), u"巻");
    const ContentsNodeTag& root = *model.m_pRootNode;
    EXPECT_EQ(root.name, u"root");
    ASSERT_EQ(root.children.size(), 1u);
    ASSERT_EQ(root.children[0]->children.size(), 1u);
    ASSERT_EQ(root.children[0]->children[0]->children.size(), 1u);
    const ContentsNodeTag* volume = root.children[0]->children[0]->children[0].get();
    EXPECT_EQ(volume->parent, root.children[0]->children[0].get());
    EXPECT_EQ(root.children[0]->parent, &root);
    EXPECT_EQ(model.NodeOfRecord(3), volume);
    EXPECT_EQ(model.m_strProblem, "");
}

TEST(ContentsModel, LoadingAgainReplacesWhatWasLoaded)
{
    test::ReportCapture capture;
    test::TempDir large, damaged, small, missing;
    WriteContents(large.path(), kTwoWorks);
    WriteContents(damaged.path(), {{u"經", 1, 1, 8, 1}}, "partial");
    const std::vector<Rec> three = {{u"類", 1, 1, 3, 1}, {u"書", 2, 1, 3, 1}, {u"巻", 3, 1, 3, 1}};
    WriteContents(small.path(), three);
    ContentsModel fresh;
    ASSERT_TRUE(fresh.LoadContents(small.path()));

    ContentsModel model;
    ASSERT_TRUE(model.LoadContents(large.path()));
    ASSERT_TRUE(model.LoadContents(damaged.path()));
    EXPECT_NE(model.m_strProblem, "");
    ASSERT_TRUE(model.LoadContents(small.path()));
    EXPECT_EQ(model.m_nRecordCount, 4);
    EXPECT_EQ(model.m_strProblem, "");
    EXPECT_EQ(model.Listing(), fresh.Listing());
    EXPECT_EQ(model.m_pRootNode->children.size(), 1u);
    EXPECT_EQ(model.Record(4).level, 0) << "slots past the records are empty again";
    EXPECT_EQ(model.Record(7).Name(), u"");
    EXPECT_EQ(model.NodeOfRecord(5), nullptr);
    EXPECT_EQ(model.NodeOfRecord(3)->parent, model.NodeOfRecord(2));

    EXPECT_FALSE(model.LoadContents(missing.path()));
    EXPECT_EQ(model.m_nRecordCount, 1);
    EXPECT_TRUE(model.m_pRootNode->children.empty());
}

TEST(ContentsModel, FirstPageIdOfARecord)
{
    struct Case {
        std::int32_t docID;
        std::optional<std::int32_t> first;
    };
    const Case cases[] = {{1, 0}, {251, 250}, {INT32_MAX, INT32_MAX - 1}, {0, std::nullopt}, {-1, std::nullopt},
                          {INT32_MIN, std::nullopt}};
    for (const Case& c : cases) {
        ContentsRecordTag record;
        record.docID = c.docID;
        EXPECT_EQ(record.FirstPageId(), c.first) << c.docID;
    }
}

TEST(ContentsModel, LinksVolumesOfOneWorkOnly)
{
    test::TempDir dir;
    WriteContents(dir.path(), kTwoWorks);
    ContentsModel model;
    ASSERT_TRUE(model.LoadContents(dir.path()));
    const auto& works = model.m_pRootNode->children[0]->children;
    ASSERT_EQ(works.size(), 2u);
    const ContentsNodeTag* a1 = works[0]->children[0].get();
    const ContentsNodeTag* a2 = works[0]->children[1].get();
    const ContentsNodeTag* b1 = works[1]->children[0].get();
    const ContentsNodeTag* b2 = works[1]->children[1].get();
    EXPECT_EQ(a1->prev, nullptr);
    EXPECT_EQ(a1->next, a2);
    EXPECT_EQ(a2->prev, a1);
    EXPECT_EQ(a2->next, nullptr);
    EXPECT_EQ(b1->prev, nullptr);
    EXPECT_EQ(b1->next, b2);
    EXPECT_EQ(works[0]->next, nullptr) << "only volumes are linked";
}

TEST(ContentsModel, FindsNodesOfRecordsAndParentsOfNewNodes)
{
    test::TempDir dir;
    WriteContents(dir.path(), kTwoWorks);
    ContentsModel model;
    ASSERT_TRUE(model.LoadContents(dir.path()));
    for (std::size_t slot = 1; slot < 8; ++slot)
        EXPECT_EQ(FindRecordNode(model.m_pRootNode.get(), model.Record(slot)), model.NodeOfRecord(slot)) << slot;
    ContentsRecordTag stranger = model.Record(3);
    stranger.docNo = 99;
    EXPECT_EQ(FindRecordNode(model.m_pRootNode.get(), stranger), nullptr);

    ContentsNodeTag volume;
    volume.level = 3;
    EXPECT_EQ(FindParentNode(model.m_pRootNode.get(), volume), model.NodeOfRecord(5)) << "the latest work";
    ContentsNodeTag category;
    category.level = 1;
    EXPECT_EQ(FindParentNode(model.m_pRootNode.get(), category), model.m_pRootNode.get());
    EXPECT_EQ(FindParentNode(nullptr, category), nullptr);
}

TEST(ContentsModel, AVolumeAfterANewCategoryJoinsTheLatestWork)
{
    test::TempDir dir;
    WriteContents(dir.path(), {{u"甲", 1, 1, 2, 1}, {u"書", 2, 1, 1, 1}, {u"巻", 3, 1, 1, 1}, {u"乙", 1, 2, 1, 1},
                               {u"巻二", 3, 2, 1, 1}});
    ContentsModel model;
    ASSERT_TRUE(model.LoadContents(dir.path()));
    EXPECT_EQ(model.m_nRecordCount, 6);
    EXPECT_EQ(model.NodeOfRecord(5)->parent, model.NodeOfRecord(2));
    EXPECT_EQ(model.NodeOfRecord(3)->next, model.NodeOfRecord(5));
}

TEST(ContentsModel, StopsAtTheFirstRecordThatCannotBePlaced)
{
    struct Case {
        const char* what;
        std::vector<Rec> records;
        std::string tail;
        std::int32_t kept;
    };
    const Case cases[] = {
        {"level 0", {{u"類", 1, 1, 1, 1}, {u"x", 0, 1, 1, 1}, {u"書", 2, 1, 1, 1}}, "", 1},
        {"level 20", {{u"類", 1, 1, 1, 1}, {u"x", 20, 1, 1, 1}}, "", 1},
        {"no node one level up", {{u"書", 2, 1, 1, 1}, {u"類", 1, 1, 1, 1}}, "", 0},
        {"partial record", {{u"類", 1, 1, 1, 1}}, std::string(100, 'x'), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir dir;
        WriteContents(dir.path(), c.records, c.tail);
        test::ReportCapture capture;
        ContentsModel model;
        EXPECT_TRUE(model.LoadContents(dir.path()));
        EXPECT_EQ(model.m_nRecordCount, 1 + c.kept);
        EXPECT_NE(model.m_strProblem, "");
        EXPECT_EQ(capture.diagnostics.size(), 1u);
    }
}

TEST(ContentsModel, KeepsAtMost9999Records)
{
    test::TempDir dir;
    std::vector<Rec> records = {{u"類", 1, 1, 1, 1}};
    for (int i = 0; i < 10005; ++i)
        records.push_back({u"書", 2, 1, 1, 1});
    WriteContents(dir.path(), records);
    ContentsModel model;
    EXPECT_TRUE(model.LoadContents(dir.path()));
    EXPECT_EQ(model.m_nRecordCount, 10000);
    EXPECT_EQ(model.m_pRootNode->children[0]->children.size(), 9998u);
}

TEST(ContentsModel, ListingIsWrittenOnlyWhenAsked)
{
    test::TempDir dir;
    WriteContents(dir.path(), {{u"經", 1, 1, 4, 1}, {u"論語", 2, 1, 4, 1}, {u"卷一", 3, 1, 4, 5}});
    const std::string expected = "name=經\tdocID=1\tdocNo=4\tcurFileName=1\n"
                                 "\tname=論語\tdocID=1\tdocNo=4\tcurFileName=1\n"
                                 "\t\tname=卷一\tdocID=1\tdocNo=4\tcurFileName=5\n";
    ContentsModel quiet;
    ASSERT_TRUE(quiet.LoadContents(dir.path()));
    EXPECT_EQ(quiet.Listing(), expected);
    EXPECT_FALSE(fs::exists(dir.path() / "kav.txt"));

    const fs::path listing = dir.path() / "kav.txt";
    ContentsModel model;
    ASSERT_TRUE(model.LoadContents(dir.path(), &listing));
    std::ifstream in(listing, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), expected);
}

// Two readers started in one working directory write the same listing: it
// is always one reader's complete listing, never empty or a mix.
TEST(ContentsModel, ReadersSharingAListingNeverMixIt)
{
    test::TempDir small, large, work;
    WriteContents(small.path(), {{u"經", 1, 1, 4, 1}});
    std::vector<Rec> many;
    for (int i = 0; i < 300; ++i)
        many.push_back({u"論語論語論語", 1, 1, 4, 1});
    WriteContents(large.path(), many);
    const fs::path listing = work / "kav.txt";
    ContentsModel probe;
    probe.LoadContents(small.path(), &listing);
    const std::string smallListing = probe.Listing();
    probe.LoadContents(large.path());
    const std::string largeListing = probe.Listing();

    std::atomic<bool> done{false};
    std::atomic<int> mixed{0};
    std::thread watcher([&] {
        while (!done) {
            std::ifstream in(listing, std::ios::binary);
            const std::string seen(std::istreambuf_iterator<char>(in), {});
            if (seen != smallListing && seen != largeListing)
                ++mixed;
        }
    });
    auto reader = [&](const fs::path& folder) {
        ContentsModel model;
        for (int i = 0; i < 40; ++i)
            model.LoadContents(folder, &listing);
    };
    std::thread first(reader, small.path()), second(reader, large.path());
    first.join();
    second.join();
    done = true;
    watcher.join();
    EXPECT_EQ(mixed, 0);
}

TEST(ContentsModel, MissingFileReportsAndLeavesAnEmptyListing)
{
    test::TempDir dir;
    const fs::path listing = dir.path() / "kav.txt";
    test::ReportCapture capture;
    ContentsModel model;
    EXPECT_FALSE(model.LoadContents(dir.path(), &listing));
    EXPECT_EQ(capture.messages, std::vector<std::string>{"you delete data file!"});
    EXPECT_EQ(model.m_nRecordCount, 1);
    EXPECT_TRUE(model.m_pRootNode->children.empty());
    EXPECT_TRUE(fs::exists(listing));
    EXPECT_EQ(fs::file_size(listing), 0u);
}

} // namespace
} // namespace vesk
