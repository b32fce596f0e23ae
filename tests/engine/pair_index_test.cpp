// The pair index beside a layer: phrases found from it must give exactly the
// arrays of the step-by-step scan over the posting streams, and a pair file
// of another build, or one damaged anywhere, must leave every answer as the
// posting streams give it.
#include "engine/pair_index.h"
#include "support/data_folder.h"
#include "support/search_helpers.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>

namespace vesk {
namespace {

namespace fs = std::filesystem;
using test::Hits;

// 甲 乙 on nearly every page (their pairs' streams hold hundreds of records
// and many marks), 丙 丁 on many, 戊 on one page in five, 己 on one in forty.
std::string RandomCell(std::mt19937& random)
{
    static const char* const kCommon[] = {"甲", "乙", "甲", "乙", "丙", "丁"};
    const bool withE = random() % 5 == 0, withF = random() % 40 == 0;
    std::string cell;
    for (std::size_t i = 0, length = 5 + random() % 300; i < length; ++i) {
        const unsigned pick = random() % 100;
        cell += withF && pick == 0 ? "己" : withE && pick < 3 ? "戊" : kCommon[random() % 6];
        if (pick == 99)
            cell += "、"; // a character without a key: pairs do not span it
    }
    return cell;
}

// Phrases of 2 to 6 characters, now and then with a wildcard or a second term.
std::u16string RandomKeyword(std::mt19937& random)
{
    static const std::u16string kUnits = u"甲乙丙丁戊己";
    std::u16string keyword;
    const std::size_t terms = 1 + (random() % 4 == 0 ? 1 : 0);
    for (std::size_t t = 0; t < terms; ++t) {
        if (t > 0)
            keyword += u' ';
        for (std::size_t i = 0, length = 2 + random() % 5; i < length; ++i)
            keyword += random() % 30 == 0 ? u'?' : kUnits[random() % kUnits.size()];
    }
    return keyword;
}

void CopyFolder(const fs::path& from, const fs::path& to)
{
    for (const auto& entry : fs::directory_iterator(from))
        fs::copy_file(entry.path(), to / entry.path().filename());
}

std::string ReadBytes(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Overwrite(const fs::path& file, std::uint64_t offset, std::string_view bytes)
{
    std::fstream f(file, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(static_cast<std::streamoff>(offset));
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

class PairIndexTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        std::mt19937 random(11);
        test::CorpusBuilder builder;
        builder.Category("類").Work("書");
        for (int v = 0; v < 2; ++v) {
            std::vector<std::string> cells;
            for (int p = 0; p < 400; ++p)
                cells.push_back(RandomCell(random) + (p % 3 == 0 ? test::Note(RandomCell(random)) : ""));
            builder.Volume("巻", cells);
        }
        s_dir = new test::TempDir;
        ASSERT_TRUE(test::MakeMarkedDataFolder(builder.corpus(), s_dir->path()));
        for (int i = 0; i < 200; ++i)
            s_keywords.push_back(RandomKeyword(random));
        for (const char16_t* fixed : {u"甲乙", u"甲甲甲", u"己甲乙", u"甲乙丙丁戊", u"戊己", u"己己"})
            s_keywords.emplace_back(fixed);
    }
    static void TearDownTestSuite()
    {
        delete s_dir;
        s_dir = nullptr;
    }

    // Searches every keyword in every layer with the step-by-step scan and
    // the fast one; the arrays must be the same. Returns how many searches
    // of the fast index had its pair index open.
    static int Compare(const fs::path& folder)
    {
        test::ReportCapture quiet;
        int withPairs = 0;
        for (int type : {kIndexWhole, kIndexMain, kIndexAnnotations}) {
            CIndex stepByStep, fast;
            stepByStep.SetScanMethod(ScanMethod::StepByStep);
            if (stepByStep.Open(folder, "Index", type) != 1 || fast.Open(folder, "Index", type) != 1) {
                ADD_FAILURE() << "cannot open " << folder;
                return 0;
            }
            withPairs += fast.Pairs().IsOpen() ? 1 : 0;
            for (std::size_t i = 0; i < s_keywords.size(); ++i) {
                const bool useOr = i % 6 == 5, useVariants = i % 7 == 6;
                SCOPED_TRACE("layer " + std::to_string(type) + ", keyword " + std::to_string(i));
                EXPECT_EQ(test::Search(fast, s_keywords[i], useOr, useVariants),
                          test::Search(stepByStep, s_keywords[i], useOr, useVariants));
            }
        }
        return withPairs;
    }

    static test::TempDir* s_dir;
    static std::vector<std::u16string> s_keywords;
};

test::TempDir* PairIndexTest::s_dir = nullptr;
std::vector<std::u16string> PairIndexTest::s_keywords;

TEST_F(PairIndexTest, PhrasesFromPairsMatchTheStepByStepScan)
{
    EXPECT_EQ(Compare(s_dir->path()), 3);
    CIndex index;
    ASSERT_EQ(index.Open(s_dir->path(), "Index", kIndexWhole), 1);
    EXPECT_FALSE(test::Search(index, u"甲乙丙").empty());
}

TEST_F(PairIndexTest, FilesOfAnotherBuildAreIgnored)
{
    struct Case {
        const char* name;
        void (*change)(const fs::path& folder);
    };
    const Case cases[] = {
        {"another generation id in the marker",
         [](const fs::path& folder) {
             std::string marker = ReadBytes(folder / "vesk-generation");
             const std::size_t id = marker.find("\nid ") + 4;
             marker[id] = marker[id] == '0' ? '1' : '0';
             std::ofstream(folder / "vesk-generation", std::ios::binary | std::ios::trunc) << marker;
         }},
        {"no marker", [](const fs::path& folder) { fs::remove(folder / "vesk-generation"); }},
        {"another id in the file", [](const fs::path& folder) { Overwrite(folder / "Index-idx.pairs", 16, "x"); }},
        {"wrong magic", [](const fs::path& folder) { Overwrite(folder / "Index-idx.pairs", 0, "VSKPAIR9"); }},
        // Listed by the marker but not of the listed size: the file is
        // ignored, the folder is not refused.
        {"cut short", [](const fs::path& folder) {
             fs::resize_file(folder / "Index-idx.pairs", fs::file_size(folder / "Index-idx.pairs") - 1);
         }},
        {"missing", [](const fs::path& folder) { fs::remove(folder / "Index-idx.pairs"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDir copy;
        CopyFolder(s_dir->path(), copy.path());
        c.change(copy.path());
        test::ReportCapture quiet;
        CIndex index;
        ASSERT_EQ(index.Open(copy.path(), "Index", kIndexWhole), 1);
        EXPECT_FALSE(index.Pairs().IsOpen());
        Compare(copy.path());
    }
}

TEST_F(PairIndexTest, DamagedPairFilesLeaveTheAnswersAsTheyWere)
{
    // Bytes overwritten in each part of the file: the first table, the
    // entries, the streams. (A file cut short is not of its listed size and
    // is not used: FilesOfAnotherBuildAreIgnored.)
    std::mt19937 random(29);
    const fs::path original = *s_dir / "Index-idx.pairs";
    const std::uint64_t size = fs::file_size(original);
    std::uint64_t pairs = 0;
    {
        std::ifstream in(original, std::ios::binary);
        in.seekg(48);
        in.read(reinterpret_cast<char*>(&pairs), 8);
    }
    const std::uint64_t entries = PairEntriesOffset();
    const std::uint64_t streams = entries + pairs * kPairEntrySize;
    ASSERT_LT(streams, size);
    struct Part {
        const char* name;
        std::uint64_t begin, end;
    };
    const Part parts[] = {{"first table", kPairHeaderSize, entries},
                          {"entries", entries, streams},
                          {"streams", streams, size}};
    for (const Part& part : parts) {
        for (int copyNumber = 0; copyNumber < 3; ++copyNumber) {
            SCOPED_TRACE(std::string(part.name) + " " + std::to_string(copyNumber));
            test::TempDir copy;
            CopyFolder(s_dir->path(), copy.path());
            for (int n = 0; n < 6; ++n)
                Overwrite(copy / "Index-idx.pairs", part.begin + random() % (part.end - part.begin),
                          std::string(1, static_cast<char>(random())));
            EXPECT_EQ(Compare(copy.path()), 3);
        }
    }
}

} // namespace
} // namespace vesk
