// The pair index beside a layer: phrases found from it must give exactly the
// arrays of the step-by-step scan over the posting streams, and a pair file
// of another build, or one damaged anywhere, must leave every answer as the
// posting streams give it.
#include "engine/pair_index.h"
#include "engine/pair_scan.h"
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

std::uint64_t ReadU64(const fs::path& file, std::uint64_t offset)
{
    std::uint64_t value = 0;
    std::ifstream in(file, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(offset));
    in.read(reinterpret_cast<char*>(&value), 8);
    return value;
}

std::uint32_t ReadU32(const fs::path& file, std::uint64_t offset)
{
    return static_cast<std::uint32_t>(ReadU64(file, offset));
}

void OverwriteU32(const fs::path& file, std::uint64_t offset, std::uint32_t value)
{
    Overwrite(file, offset, std::string_view(reinterpret_cast<const char*>(&value), 4));
}

std::uint32_t Slot(char16_t c)
{
    return static_cast<std::uint32_t>(CodePointToSlot(c));
}

// Where in a pair file the first table holds first[a], and where the entry
// of the pair (a, b) stands (0 when the file does not list it).
std::uint64_t FirstOffset(std::uint32_t a)
{
    return kPairHeaderSize + 4 * std::uint64_t{a};
}

std::uint64_t EntryOffset(const fs::path& file, std::uint32_t a, std::uint32_t b)
{
    for (std::uint32_t e = ReadU32(file, FirstOffset(a)); e < ReadU32(file, FirstOffset(a + 1)); ++e)
        if (ReadU32(file, PairEntriesOffset() + e * kPairEntrySize) == b)
            return PairEntriesOffset() + e * kPairEntrySize;
    return 0;
}

// True when the pair index of the whole-text layer answers term by itself
// (the search would not read the posting streams).
bool AnsweredByPairs(const fs::path& folder, std::u16string_view term, bool useVariants)
{
    CIndex index;
    if (index.Open(folder, "Index", kIndexWhole) != 1 || !index.LoadVariants(folder))
        return false;
    TermPlan plan;
    if (PlanTerm(term, useVariants, index.Variants(), index.FirstBlocks(), plan) != TermPlanStatus::Ready)
        return false;
    std::vector<std::uint32_t> pages, counts;
    return ScanPhraseByPairs(plan, index.Pairs(), index.Variants(), pages, counts);
}

class PairIndexTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        std::mt19937 random(11);
        test::CorpusBuilder builder;
        // Variant groups: 丙 with 戊, and 乙 with 己 (and 丙 again, which
        // stays with its first group), so that phrases searched with
        // variants stand for several pairs each.
        builder.Variants("4E19,620A\n4E59,5DF1,4E19\n");
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
    static int Compare(const fs::path& folder, bool allWithVariants = false)
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
                const bool useOr = i % 6 == 5, useVariants = allWithVariants || i % 7 == 6;
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

TEST_F(PairIndexTest, PhrasesWithVariantsFromPairsMatchTheStepByStepScan)
{
    EXPECT_EQ(Compare(s_dir->path(), true), 3);
    // 乙丙 stands for 乙丙 乙戊 己丙 己戊, some of which never occur; 甲戊
    // for 甲丙 and 甲戊.
    EXPECT_TRUE(AnsweredByPairs(s_dir->path(), u"乙丙", true));
    EXPECT_TRUE(AnsweredByPairs(s_dir->path(), u"甲戊", true));
    EXPECT_TRUE(AnsweredByPairs(s_dir->path(), u"己甲乙", true));
}

// A file without key checksums (as builds wrote before them) still answers
// plain phrases, but cannot vouch that an unlisted pair never occurs, so
// phrases with variants take the posting streams.
TEST_F(PairIndexTest, FilesWithoutKeyChecksumsServePlainPhrasesOnly)
{
    test::TempDir copy;
    CopyFolder(s_dir->path(), copy.path());
    const fs::path file = copy / "Index-idx.pairs";
    OverwriteU32(file, 8, kPairFileVersionWithoutKeyChecksums);
    Overwrite(file, kPairKeyChecksumsField, std::string(8, '\0'));
    EXPECT_TRUE(AnsweredByPairs(copy.path(), u"乙丙", false));
    EXPECT_FALSE(AnsweredByPairs(copy.path(), u"乙丙", true));
    EXPECT_EQ(Compare(copy.path(), true), 3);
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
    const std::uint64_t checksums = ReadU64(original, kPairKeyChecksumsField);
    ASSERT_EQ(checksums + 8 * std::uint64_t{kCharacterSlots}, size);
    const Part parts[] = {{"first table", kPairHeaderSize, entries},
                          {"entries", entries, streams},
                          {"streams", streams, checksums},
                          {"key checksums", checksums, size}};
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

// Damage aimed at the lists that 乙丙 with variants consults (it stands for
// 乙丙 乙戊 己丙 己戊, and 己戊 never occurs): the first cases make the listed
// pair 乙丙 look unlisted, the others leave 己's list without a checksum to
// vouch that 己戊 is truly unlisted. The phrase then takes the posting
// streams, and every answer stays.
TEST_F(PairIndexTest, DamagedKeyListsAreNotTakenForAbsentPairs)
{
    const fs::path original = *s_dir / "Index-idx.pairs";
    const std::uint32_t yi = Slot(u'乙'), bing = Slot(u'丙'), ji = Slot(u'己');
    const std::uint64_t entry = EntryOffset(original, yi, bing);
    ASSERT_NE(entry, 0u);
    ASSERT_EQ(EntryOffset(original, ji, Slot(u'戊')), 0u);
    const auto index = static_cast<std::uint32_t>((entry - PairEntriesOffset()) / kPairEntrySize);
    const std::uint64_t checksums = ReadU64(original, kPairKeyChecksumsField);
    struct Case {
        const char* what;
        std::uint64_t offset;
        std::uint32_t value;
    };
    const Case cases[] = {
        {"the second key of the entry 乙丙", entry, bing ^ 0x100},
        {"first[乙] just past the entry 乙丙", FirstOffset(yi), index + 1},
        {"first[乙 + 1] at the entry 乙丙", FirstOffset(yi + 1), index},
        {"the key checksum of 己", checksums + 8 * std::uint64_t{ji}, ReadU32(original, checksums + 8 * ji) ^ 1},
        {"the table's offset in the header, one key early", kPairKeyChecksumsField,
         static_cast<std::uint32_t>(checksums - 8)},
        {"the table's offset in the header, beyond the file", kPairKeyChecksumsField,
         static_cast<std::uint32_t>(checksums + 8)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir copy;
        CopyFolder(s_dir->path(), copy.path());
        OverwriteU32(copy / "Index-idx.pairs", c.offset, c.value);
        EXPECT_FALSE(AnsweredByPairs(copy.path(), u"乙丙", true));
        EXPECT_EQ(Compare(copy.path(), true), 3);
    }
}

// Two streams checked side by side give each stream's own checksum, for
// lengths around the word size and streams of unequal lengths either way.
TEST(PairStreamChecksumsOfTwo, GiveEachStreamsOwnChecksum)
{
    std::vector<std::uint8_t> bytes(200);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 37 + 11);
    const std::span<const std::uint8_t> all(bytes);
    const std::pair<std::size_t, std::size_t> lengths[] = {{0, 0},  {7, 8},   {8, 7},   {9, 16},  {16, 9},
                                                           {1, 64}, {64, 1},  {63, 63}, {200, 8}, {13, 200}};
    for (const auto& [n1, n2] : lengths) {
        SCOPED_TRACE(std::to_string(n1) + " and " + std::to_string(n2));
        const PairChecksumInput first{5, 6, all.subspan(0, n1)};
        const PairChecksumInput second{5, 7, all.subspan(200 - n2, n2)};
        std::uint64_t h1 = 0, h2 = 0;
        PairStreamChecksumsOfTwo(first, second, h1, h2);
        EXPECT_EQ(h1, PairStreamChecksum(5, 6, first.bytes));
        EXPECT_EQ(h2, PairStreamChecksum(5, 7, second.bytes));
    }
}

// A phrase's pairs found together are the streams found one by one; one
// pair unlisted or damaged fails them all.
TEST_F(PairIndexTest, PairsFoundTogetherAreThePairsFoundOneByOne)
{
    const std::uint32_t jia = Slot(u'甲'), yi = Slot(u'乙'), bing = Slot(u'丙'), ding = Slot(u'丁');
    const std::vector<PairKeys> keys = {{jia, yi}, {yi, bing}, {bing, ding}};
    {
        CIndex index;
        ASSERT_EQ(index.Open(s_dir->path(), "Index", kIndexWhole), 1);
        const PairIndex& pairs = index.Pairs();
        for (std::size_t n = 1; n <= keys.size(); ++n) {
            SCOPED_TRACE(n);
            std::vector<PairStream> together(n);
            ASSERT_TRUE(pairs.FindAll(std::span(keys).first(n), together));
            for (std::size_t i = 0; i < n; ++i) {
                PairStream alone;
                ASSERT_TRUE(pairs.Find(keys[i].keyA, keys[i].keyB, alone));
                EXPECT_EQ(together[i].records.data(), alone.records.data());
                EXPECT_EQ(together[i].records.size(), alone.records.size());
                EXPECT_EQ(together[i].marks.data(), alone.marks.data());
                EXPECT_EQ(together[i].recordCount, alone.recordCount);
            }
        }
        std::vector<PairKeys> unlisted = keys;
        unlisted[1].keyB = Slot(u'子');
        std::vector<PairStream> streams(unlisted.size());
        EXPECT_FALSE(pairs.FindAll(unlisted, streams));
    }
    test::TempDir copy;
    CopyFolder(s_dir->path(), copy.path());
    const fs::path file = copy / "Index-idx.pairs";
    const std::uint64_t entry = EntryOffset(file, yi, bing);
    ASSERT_NE(entry, 0u);
    // The last byte of 乙丙's stream changed: its checksum fails.
    const std::uint64_t last = ReadU64(file, entry + 8) + ReadU32(file, entry + 4) - 1;
    Overwrite(file, last, std::string(1, static_cast<char>(ReadU32(file, last) ^ 0x40)));
    test::ReportCapture quiet;
    CIndex index;
    ASSERT_EQ(index.Open(copy.path(), "Index", kIndexWhole), 1);
    const PairIndex& pairs = index.Pairs();
    ASSERT_TRUE(pairs.IsOpen());
    std::vector<PairStream> streams(keys.size());
    EXPECT_FALSE(pairs.FindAll(keys, streams));
    PairStream first;
    EXPECT_TRUE(pairs.Find(jia, yi, first));
}

} // namespace
} // namespace vesk
