// The page-count index beside a layer: terms of one character answered from
// it must give exactly the arrays of the step-by-step scan over the posting
// streams, with and without variants, alone and combined by "and" and "or";
// a file of another build, or one damaged anywhere, must leave every answer
// as the posting streams give it.
#include "engine/page_count_index.h"
#include "support/data_folder.h"
#include "support/search_helpers.h"
#include "textstore/code_converter.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>

namespace vesk {
namespace {

namespace fs = std::filesystem;

// 甲 on nearly every page, many times (its stream spans many blocks), 乙 丙
// often, 丁 on one page in five, 戊 on one in forty; 甲 and 乙 form a variant
// group, so do 丁 and 己 (己 itself never occurs).
std::string RandomCell(std::mt19937& random)
{
    static const char* const kCommon[] = {"甲", "甲", "甲", "乙", "丙"};
    const bool withD = random() % 5 == 0, withE = random() % 40 == 0;
    std::string cell;
    for (std::size_t i = 0, length = 5 + random() % 300; i < length; ++i) {
        const unsigned pick = random() % 100;
        cell += withE && pick == 0 ? "戊" : withD && pick < 3 ? "丁" : kCommon[random() % 5];
        if (pick == 99)
            cell += "、";
    }
    return cell;
}

// One-character terms, "?" around some of them, one to four terms.
std::u16string RandomKeyword(std::mt19937& random)
{
    static const std::u16string kUnits = u"甲乙丙丁戊己";
    std::u16string keyword;
    for (std::size_t t = 0, terms = 1 + random() % 4; t < terms; ++t) {
        if (t > 0)
            keyword += u' ';
        if (random() % 6 == 0)
            keyword += u'?';
        keyword += kUnits[random() % kUnits.size()];
        if (random() % 6 == 0)
            keyword += u'?';
    }
    return keyword;
}

void CopyFolder(const fs::path& from, const fs::path& to)
{
    for (const auto& entry : fs::directory_iterator(from))
        fs::copy_file(entry.path(), to / entry.path().filename());
}

void Overwrite(const fs::path& file, std::uint64_t offset, std::string_view bytes)
{
    std::fstream f(file, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(static_cast<std::streamoff>(offset));
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::uint64_t ReadU64(const fs::path& file, std::uint64_t offset)
{
    std::ifstream in(file, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(offset));
    std::uint64_t value = 0;
    in.read(reinterpret_cast<char*>(&value), 8);
    return value;
}

class PageCountIndexTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        std::mt19937 random(17);
        test::CorpusBuilder builder;
        builder.Category("類").Work("書");
        for (int v = 0; v < 2; ++v) {
            std::vector<std::string> cells;
            for (int p = 0; p < 300; ++p)
                cells.push_back(RandomCell(random) + (p % 3 == 0 ? test::Note(RandomCell(random)) : ""));
            builder.Volume("巻", cells);
        }
        builder.Variants("7532,4E59\n4E01,5DF1\n"); // 甲 乙, 丁 己
        s_dir = new test::TempDir;
        ASSERT_TRUE(test::MakeMarkedDataFolder(builder.corpus(), s_dir->path()));
        for (const char16_t* fixed : {u"甲", u"乙", u"丁", u"戊", u"己", u"?甲?", u"甲 乙", u"丙 戊 丁", u"甲 甲"})
            s_keywords.emplace_back(fixed);
        for (int i = 0; i < 120; ++i)
            s_keywords.push_back(RandomKeyword(random));
    }
    static void TearDownTestSuite()
    {
        delete s_dir;
        s_dir = nullptr;
    }

    // Searches every keyword in every layer, with and without variants, "and"
    // and "or", by the step-by-step scan and the fast one; the arrays must be
    // the same. Returns how many layers had their page-count index open.
    static int Compare(const fs::path& folder)
    {
        test::ReportCapture quiet;
        int withCounts = 0;
        for (int type : {kIndexWhole, kIndexMain, kIndexAnnotations}) {
            CIndex stepByStep, fast;
            stepByStep.SetScanMethod(ScanMethod::StepByStep);
            if (stepByStep.Open(folder, "Index", type) != 1 || fast.Open(folder, "Index", type) != 1) {
                ADD_FAILURE() << "cannot open " << folder;
                return 0;
            }
            withCounts += fast.PageCounts().IsOpen() ? 1 : 0;
            for (std::size_t i = 0; i < s_keywords.size(); ++i)
                for (const bool useOr : {false, true})
                    for (const bool useVariants : {false, true}) {
                        SCOPED_TRACE("layer " + std::to_string(type) + ", keyword " + std::to_string(i) +
                                     (useOr ? ", or" : ", and") + (useVariants ? ", variants" : ""));
                        EXPECT_EQ(test::Search(fast, s_keywords[i], useOr, useVariants),
                                  test::Search(stepByStep, s_keywords[i], useOr, useVariants));
                    }
        }
        return withCounts;
    }

    static test::TempDir* s_dir;
    static std::vector<std::u16string> s_keywords;
};

test::TempDir* PageCountIndexTest::s_dir = nullptr;
std::vector<std::u16string> PageCountIndexTest::s_keywords;

TEST_F(PageCountIndexTest, OneCharacterTermsMatchTheStepByStepScan)
{
    EXPECT_EQ(Compare(s_dir->path()), 3);
    // The file is what answers: a key's list read from it is the posting
    // stream's, and the frequent character spans many pages.
    CIndex index;
    ASSERT_EQ(index.Open(s_dir->path(), "Index", kIndexWhole), 1);
    std::vector<std::uint32_t> pages, counts;
    const auto key = static_cast<std::uint32_t>(CodePointToSlot(U'甲'));
    ASSERT_TRUE(index.PageCounts().Read(key, index.LastPages()[key], pages, counts));
    EXPECT_GT(pages.size(), 500u);
    EXPECT_FALSE(index.PageCounts().Read(key, index.LastPages()[key] + 1, pages, counts))
        << "a list that does not end on the key's last page is not used";
    EXPECT_GT(pages.size(), 500u) << "and leaves the arrays as they were";
}

TEST_F(PageCountIndexTest, FilesOfAnotherBuildAreIgnored)
{
    struct Case {
        const char* name;
        void (*change)(const fs::path& folder);
    };
    const Case cases[] = {
        {"another generation id in the marker",
         [](const fs::path& folder) {
             std::ifstream in(folder / "vesk-generation", std::ios::binary);
             std::string marker{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
             const std::size_t id = marker.find("\nid ") + 4;
             marker[id] = marker[id] == '0' ? '1' : '0';
             std::ofstream(folder / "vesk-generation", std::ios::binary | std::ios::trunc) << marker;
         }},
        {"no marker", [](const fs::path& folder) { fs::remove(folder / "vesk-generation"); }},
        {"another id in the file", [](const fs::path& folder) { Overwrite(folder / "Index-idx.counts", 16, "x"); }},
        {"wrong version", [](const fs::path& folder) { Overwrite(folder / "Index-idx.counts", 8, "\x02"); }},
        {"cut short", [](const fs::path& folder) {
             fs::resize_file(folder / "Index-idx.counts", fs::file_size(folder / "Index-idx.counts") - 1);
         }},
        {"missing", [](const fs::path& folder) { fs::remove(folder / "Index-idx.counts"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDir copy;
        CopyFolder(s_dir->path(), copy.path());
        c.change(copy.path());
        test::ReportCapture quiet;
        CIndex index;
        ASSERT_EQ(index.Open(copy.path(), "Index", kIndexWhole), 1);
        EXPECT_FALSE(index.PageCounts().IsOpen());
        Compare(copy.path());
    }
}

TEST_F(PageCountIndexTest, DamagedFilesLeaveTheAnswersAsTheyWere)
{
    // Bytes overwritten in each part of the file: the header's counts and
    // table offset, the streams, the key table.
    std::mt19937 random(31);
    const fs::path original = *s_dir / "Index-idx.counts";
    const std::uint64_t size = fs::file_size(original);
    const std::uint64_t table = ReadU64(original, 40);
    ASSERT_LT(table, size);
    struct Part {
        const char* name;
        std::uint64_t begin, end;
    };
    const Part parts[] = {{"key count and table offset", 32, 48}, {"streams", kPageCountHeaderSize, table},
                          {"key table", table, size}};
    for (const Part& part : parts) {
        for (int copyNumber = 0; copyNumber < 3; ++copyNumber) {
            SCOPED_TRACE(std::string(part.name) + " " + std::to_string(copyNumber));
            test::TempDir copy;
            CopyFolder(s_dir->path(), copy.path());
            for (int n = 0; n < 4; ++n)
                Overwrite(copy / "Index-idx.counts", part.begin + random() % (part.end - part.begin),
                          std::string(1, static_cast<char>(random())));
            Compare(copy.path());
        }
    }
}

TEST(PageCountStreams, DecodingRejectsWhatDoesNotFit)
{
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
        std::uint32_t records;
        bool sound;
    };
    const Case cases[] = {
        {"three records", {5, 1, 1, 2, 0x80, 0x01, 0x81, 0x01}, 3, true},
        {"a page that does not ascend", {5, 1, 0, 2}, 2, false},
        {"a count of 0", {5, 0}, 1, false},
        {"a number cut short", {5, 1, 1, 0x80}, 2, false},
        {"bytes after the last record", {5, 1, 1, 2, 7}, 2, false},
        {"more records than bytes could hold", {5, 1, 1, 2}, 3, false},
        {"a page beyond 2^32 - 1", {0xFF, 0xFF, 0xFF, 0xFF, 0x0F, 1, 1, 1}, 2, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::uint32_t> pages = {9}, counts = {9};
        EXPECT_EQ(DecodePageCounts(c.bytes, c.records, pages, counts), c.sound);
        if (c.sound) {
            EXPECT_EQ(pages, (std::vector<std::uint32_t>{9, 5, 6, 134}));
            EXPECT_EQ(counts, (std::vector<std::uint32_t>{9, 1, 2, 129}));
        } else {
            EXPECT_EQ(pages, std::vector<std::uint32_t>{9}) << "the arrays as they were";
            EXPECT_EQ(counts, std::vector<std::uint32_t>{9});
        }
    }
}

} // namespace
} // namespace vesk
