// Damaged data at every level, over a real small data folder: each file
// missing, empty, cut short or with bytes flipped, and the fields that locate
// data (first blocks, block links, page-store entries, the name width,
// contents levels, variant groups) pointing where they must not. Opening
// either fails with "データを開けませんでした。" through the reporting hook,
// or succeeds and the damage costs hits, a page or a record, never more.
// Everything the reader does with a data folder runs on every damaged copy;
// under the sanitizer build this also proves nothing is read outside the
// files.
#include "engine/index.h"
#include "engine/variant_expansion.h"
#include "pane/model/contents_model.h"
#include "support/data_folder.h"
#include "support/run_command.h"
#include "support/search_helpers.h"
#include "textstore/code_converter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <sys/wait.h>

namespace vesk {
namespace {

namespace fs = std::filesystem;
using test::Hits;
using test::ReportCapture;

const char* const kIndexBases[3] = {"Index", "Index_desc", "Index_content"};
const char* const kDataFiles[] = {"Index-idx.h",      "Index-idx.m",         "Index_desc-idx.h",
                                  "Index_desc-idx.m", "Index_content-idx.h", "Index_content-idx.m",
                                  "Index-fl.h",       "Index-fl.cnt",        "kav.dir",
                                  "yitizi.txt"};

std::string ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void PatchU32(const fs::path& file, std::uint64_t offset, std::uint32_t value)
{
    std::fstream f(file, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(static_cast<std::streamoff>(offset));
    const char bytes[4] = {static_cast<char>(value), static_cast<char>(value >> 8), static_cast<char>(value >> 16),
                           static_cast<char>(value >> 24)};
    f.write(bytes, 4);
}

std::string Repeat(std::string_view text, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}

std::uint32_t KeyOf(char32_t c)
{
    return static_cast<std::uint32_t>(CodePointToSlot(c));
}

// Index types whose Open must fail, as a bit mask (bit t for type t).
constexpr unsigned kNone = 0, kAll = 7;
constexpr unsigned TypeBit(int type) { return 1u << type; }

// The search target that matches an index type (whole, annotations, main text).
std::int32_t TargetOfType(int type)
{
    return type == kIndexAnnotations ? 2 : type == kIndexMain ? 1 : 0;
}

// What one pass over a data folder saw.
struct Usage {
    unsigned failedTypes = 0;
    std::vector<std::string> messages;
    std::vector<std::string> diagnostics;
    Hits wholeHitsOfA; // "甲" in the whole text, without variants
    Hits wholeHitsOfStudy; // "學" in the whole text, without variants
    bool contentsLoaded = false;
    std::int32_t contentsRecords = 0;
    std::string contentsProblem;
};

// Where pages by number are looked for from a contents record: docID - 1,
// kept inside 32 bits for a damaged record (docID -2^31 starts at -2^31).
std::int32_t StartOf(const ContentsRecordTag& record)
{
    return static_cast<std::int32_t>(std::max<std::int64_t>(std::int64_t{record.docID} - 1, INT32_MIN));
}

// Does with folder what the reader and its tools do: opens each index type,
// searches, renders the pages found and every page of the store, and finds
// pages by the numbers of the contents records.
Usage UseDataFolder(const fs::path& folder)
{
    Usage usage;
    ReportCapture capture;
    for (int type = 0; type < 3; ++type) {
        CIndex index;
        if (index.Open(folder, "Index", type) != 1) {
            EXPECT_FALSE(index.IsOpen());
            usage.failedTypes |= TypeBit(type);
        }
        for (const std::u16string keyword : {u"甲", u"學", u"甲乙", u"學*習", u"子?曰", u"甲 學", u"學　丙"}) {
            for (const bool useOr : {false, true}) {
                for (const bool useVariants : {false, true}) {
                    const Hits hits = test::Search(index, keyword, useOr, useVariants);
                    EXPECT_EQ(index.m_arrCounts.size(), index.m_arrPages.size());
                    EXPECT_EQ(static_cast<std::size_t>(index.m_nResults), index.m_arrPages.size());
                    if (!index.IsOpen()) {
                        EXPECT_TRUE(hits.empty());
                    }
                    if (type == 0 && !useOr && !useVariants && keyword == u"甲")
                        usage.wholeHitsOfA = hits;
                    if (type == 0 && !useOr && !useVariants && keyword == u"學")
                        usage.wholeHitsOfStudy = hits;
                    for (std::size_t i = 0; i < hits.size() && i < 3; ++i) {
                        std::string page;
                        std::u16string kept = keyword;
                        index.RenderHitPage(hits[i].first, page, kept, TargetOfType(type), useVariants);
                    }
                }
            }
        }
        const std::uint32_t pages = index.FileList().GetRecordCount();
        for (std::uint32_t id = 0; id < pages + 2; ++id) {
            std::uint32_t length = 0;
            std::string page = "untouched";
            if (!index.GetRecordLength(id, length)) {
                EXPECT_FALSE(index.ReadRecord(id, page));
                EXPECT_EQ(index.RenderHitPage(id, page, u"學", 0, true), 0);
                EXPECT_EQ(page, "untouched");
            } else {
                index.ReadRecord(id, page);
                index.RenderHitPage(id, page, u"學 甲", 0, true);
            }
        }
        ContentsModel contents;
        usage.contentsLoaded = contents.LoadContents(folder);
        usage.contentsRecords = contents.m_nRecordCount - 1;
        usage.contentsProblem = contents.m_strProblem;
        for (std::int32_t slot = 1; slot < contents.m_nRecordCount; ++slot) {
            const ContentsRecordTag& record = contents.Record(static_cast<std::size_t>(slot));
            std::int32_t found = 0;
            std::string page;
            if (index.FindRecordByNumber(StartOf(record), record.curFileName, found))
                index.ReadRecord(static_cast<std::uint32_t>(found), page);
        }
        index.ExpandVariants(u"學習 甲");
    }
    usage.messages = capture.messages;
    usage.diagnostics = capture.diagnostics;
    return usage;
}

// vesk-tool check on folder.
test::CommandResult RunCheck(const fs::path& folder)
{
    const std::string command =
        "'" + (fs::path(VESK_BIN_DIR) / "vesk-tool").string() + "' check --data '" + folder.string() + "' 2>&1";
    return test::RunCommand(command);
}

class DamagedData : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_sound = new test::TempDir;
        // 甲 on every page of the first volume: its stream takes several
        // blocks, dealt out between other streams' blocks.
        std::vector<std::string> many;
        for (int i = 0; i < 300; ++i)
            many.push_back(i % 7 == 3 ? std::string("甲乙學而時習之") : Repeat("甲丙", 20));
        const auto corpus = test::CorpusBuilder()
                                .Category("經")
                                .Work("甲書")
                                .Volume("卷一", many)
                                .Work("論語")
                                .Volume("學而", {"子曰學而時習之" + test::Note("學習也"), "不亦說乎學"}, 3)
                                .Category("詩")
                                .Work("詩經")
                                .Volume("國風", {"關關雎鳩" + test::Note("学也"), "在河之洲甲"}, 5)
                                .Variants("5B78,5B66\n7FD2,4E60\n")
                                .Take();
        build::WriteOptions options;
        options.interleaveBlocks = true;
        ASSERT_TRUE(test::MakeDataFolder(corpus, s_sound->path(), options));
        s_soundUsage = new Usage(UseDataFolder(s_sound->path()));
        ASSERT_EQ(s_soundUsage->failedTypes, kNone);
        ASSERT_EQ(s_soundUsage->wholeHitsOfA.size(), 301u);
        ASSERT_EQ(s_soundUsage->wholeHitsOfStudy.size(), 45u);
    }
    static void TearDownTestSuite()
    {
        delete s_soundUsage;
        delete s_sound;
    }

    // A fresh copy of the sound folder.
    static std::unique_ptr<test::TempDir> Copy()
    {
        auto copy = std::make_unique<test::TempDir>();
        fs::copy(s_sound->path(), copy->path(), fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        return copy;
    }

    // Checks the outcome of Open against the types expected to fail.
    static void ExpectOpenFailures(const Usage& usage, unsigned failing)
    {
        EXPECT_EQ(usage.failedTypes, failing);
        std::size_t cannotOpen = 0;
        for (const std::string& message : usage.messages)
            if (message == kMessageCannotOpenData)
                ++cannotOpen;
        std::size_t expected = 0;
        for (int type = 0; type < 3; ++type)
            expected += (failing & TypeBit(type)) ? 1 : 0;
        EXPECT_EQ(cannotOpen, expected);
    }

    static test::TempDir* s_sound;
    static Usage* s_soundUsage;
};

test::TempDir* DamagedData::s_sound = nullptr;
Usage* DamagedData::s_soundUsage = nullptr;

// The types whose Open needs file: the index files of one type, the page
// store for all of them.
unsigned TypesNeeding(const std::string& file)
{
    for (int type = 0; type < 3; ++type)
        if (file.rfind(std::string(kIndexBases[type]) + "-idx.", 0) == 0)
            return TypeBit(type);
    return file.rfind("Index-fl.", 0) == 0 ? kAll : kNone;
}

TEST_F(DamagedData, MissingOrEmptyFiles)
{
    for (const std::string file : kDataFiles) {
        for (const bool empty : {false, true}) {
            SCOPED_TRACE(file + (empty ? " empty" : " missing"));
            const auto copy = Copy();
            if (empty)
                fs::resize_file(copy->path() / file, 0);
            else
                fs::remove(copy->path() / file);
            const Usage usage = UseDataFolder(copy->path());
            // An empty posting data file maps to no blocks and an empty
            // content file holds no pages: both still open.
            const bool emptyOpens = file.ends_with("-idx.m") || file == "Index-fl.cnt";
            ExpectOpenFailures(usage, empty && emptyOpens ? kNone : TypesNeeding(file));
            if (file == "kav.dir") {
                EXPECT_EQ(usage.contentsLoaded, empty);
                EXPECT_EQ(usage.contentsRecords, 0);
                if (!empty) {
                    EXPECT_NE(std::find(usage.messages.begin(), usage.messages.end(), kMessageContentsMissing),
                              usage.messages.end());
                }
            }
            if (file == "Index-idx.m" && empty) {
                EXPECT_TRUE(usage.wholeHitsOfA.empty());
                EXPECT_FALSE(usage.diagnostics.empty());
            }
            if (file == "yitizi.txt") {
                EXPECT_EQ(usage.wholeHitsOfStudy, s_soundUsage->wholeHitsOfStudy);
            }
        }
    }
}

TEST_F(DamagedData, FilesCutShort)
{
    for (const std::string file : kDataFiles) {
        const std::uint64_t size = fs::file_size(s_sound->path() / file);
        for (const std::uint64_t cut : {std::uint64_t{1}, size / 4, size / 2, size * 9 / 10, size - 1}) {
            SCOPED_TRACE(file + " cut to " + std::to_string(cut) + " of " + std::to_string(size));
            const auto copy = Copy();
            fs::resize_file(copy->path() / file, cut);
            const Usage usage = UseDataFolder(copy->path());
            unsigned failing = kNone;
            if (file.ends_with("-idx.h") && cut < kIndexTablesSize)
                failing = TypesNeeding(file);
            if (file == "Index-fl.h" && cut < CFileList::kHeaderSize)
                failing = kAll;
            ExpectOpenFailures(usage, failing);
            if (file == "kav.dir") {
                EXPECT_EQ(usage.contentsRecords, static_cast<std::int32_t>(cut / kContentsRecordSize));
                EXPECT_EQ(usage.contentsProblem.empty(), cut % kContentsRecordSize == 0);
            }
        }
    }
}

TEST_F(DamagedData, RandomBytesFlipped)
{
    for (const std::string file : kDataFiles) {
        for (unsigned seed = 1; seed <= 3; ++seed) {
            SCOPED_TRACE(file + " seed " + std::to_string(seed));
            const auto copy = Copy();
            std::string bytes = ReadBytes(copy->path() / file);
            std::mt19937 random(seed);
            // The posting data is mostly unused block tails: flip bytes of
            // the first blocks, where the streams begin.
            const std::size_t span = file.ends_with("-idx.m") ? std::min<std::size_t>(bytes.size(), 3 * 4096)
                                                               : bytes.size();
            for (int i = 0; i < 48 && span > 0; ++i)
                bytes[random() % span] ^= static_cast<char>(1 + random() % 255);
            WriteBytes(copy->path() / file, bytes);
            UseDataFolder(copy->path()); // no crash, no read outside the files
        }
    }
}

TEST_F(DamagedData, FirstBlocksAndLinksPastTheEnd)
{
    const std::uint32_t blocks = static_cast<std::uint32_t>(fs::file_size(s_sound->path() / "Index-idx.m") / 4096);
    const std::uint64_t links = (fs::file_size(s_sound->path() / "Index-idx.h") - kIndexTablesSize) / 4;
    const std::uint64_t firstBlockOfA = KeyOf(U'甲') * 4;
    struct Case {
        const char* what;
        std::function<void(const fs::path&)> damage;
        bool lostA = true; // 甲 finds nothing (a cycle may read other streams' records as its own)
    };
    const auto everyLink = [links](std::uint32_t value) {
        return [links, value](const fs::path& dir) {
            for (std::uint64_t b = 0; b < links; ++b)
                PatchU32(dir / "Index-idx.h", kIndexTablesSize + 4 * b, value);
        };
    };
    const Case cases[] = {
        {"first block one past the data", [&](const fs::path& d) { PatchU32(d / "Index-idx.h", firstBlockOfA, blocks); }},
        {"first block 2^31-1", [&](const fs::path& d) { PatchU32(d / "Index-idx.h", firstBlockOfA, 0x7FFFFFFF); }},
        {"first block -2", [&](const fs::path& d) { PatchU32(d / "Index-idx.h", firstBlockOfA, 0xFFFFFFFE); }},
        {"first block -2^31", [&](const fs::path& d) { PatchU32(d / "Index-idx.h", firstBlockOfA, 0x80000000); }},
        {"every link one past the data", everyLink(blocks)},
        {"every link past the link table", everyLink(static_cast<std::uint32_t>(links + 5))},
        {"every link to block 0 (a cycle)", everyLink(0), false},
        {"every link 2^32-1", everyLink(0xFFFFFFFF)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto copy = Copy();
        c.damage(copy->path());
        const Usage usage = UseDataFolder(copy->path());
        ExpectOpenFailures(usage, kNone);
        // 甲's stream is damaged (its first block, or links it must follow):
        // it finds nothing and says why; 學 (one block) is found as before,
        // unless every link is gone and 學 happens to need none.
        if (c.lostA) {
            EXPECT_TRUE(usage.wholeHitsOfA.empty());
        }
        EXPECT_FALSE(usage.diagnostics.empty());
        if (std::string_view(c.what).starts_with("first block")) {
            EXPECT_EQ(usage.wholeHitsOfStudy, s_soundUsage->wholeHitsOfStudy);
        }
    }
}

TEST_F(DamagedData, PageStoreEntriesOutsideTheContent)
{
    const std::uint64_t contentSize = fs::file_size(s_sound->path() / "Index-fl.cnt");
    const std::uint64_t endOfEntry0 = CFileList::kHeaderSize + 100;
    struct Case {
        const char* what;
        std::uint32_t end;
        std::uint32_t length;
    };
    const Case cases[] = {
        {"end one past the content", static_cast<std::uint32_t>(contentSize + 1), 10},
        {"length longer than end", 10, 11},
        {"end 2^32-1", 0xFFFFFFFF, 100},
        {"length 2^32-1", static_cast<std::uint32_t>(contentSize), 0xFFFFFFFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto copy = Copy();
        PatchU32(copy->path() / "Index-fl.h", endOfEntry0, c.end);
        PatchU32(copy->path() / "Index-fl.h", endOfEntry0 + 4, c.length);
        UseDataFolder(copy->path());
        CIndex index;
        ASSERT_EQ(index.Open(copy->path(), "Index", kIndexWhole), 1);
        std::uint32_t length = 12345;
        std::string page = "untouched";
        EXPECT_FALSE(index.GetRecordLength(0, length));
        EXPECT_EQ(length, 12345u);
        EXPECT_FALSE(index.ReadRecord(0, page));
        EXPECT_EQ(index.RenderHitPage(0, page, u"甲", 0, false), 0);
        EXPECT_EQ(page, "untouched");
        EXPECT_TRUE(index.ReadRecord(1, page)); // the next entry is sound
    }
}

TEST_F(DamagedData, NameWidths)
{
    struct Case {
        std::int32_t width;
        bool opens;
    };
    // 1 and 260 are widths a store may have; here they misread every entry.
    const Case cases[] = {{0, false}, {-1, false}, {261, false}, {0x7FFFFFFF, false}, {1, true}, {260, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        const auto copy = Copy();
        PatchU32(copy->path() / "Index-fl.h", 4, static_cast<std::uint32_t>(c.width));
        const Usage usage = UseDataFolder(copy->path());
        ExpectOpenFailures(usage, c.opens ? kNone : kAll);
    }
}

TEST_F(DamagedData, ContentsRecordsThatCannotBePlaced)
{
    const std::int32_t sound = s_soundUsage->contentsRecords;
    ASSERT_EQ(sound, 8);
    struct Case {
        const char* what;
        std::uint64_t record;  // whose level is overwritten
        std::int32_t level;
        std::int32_t kept;     // records loaded before the bad one
    };
    const Case cases[] = {
        {"level 0", 3, 0, 3},
        {"level -1", 3, static_cast<std::int32_t>(-1), 3},
        {"level 20", 5, 20, 5},
        {"level -2^31", 1, INT32_MIN, 1},
        {"a volume first", 0, 3, 0},
        {"a level 4 node", 6, 4, 8}, // placeable: under the volume before it
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto copy = Copy();
        PatchU32(copy->path() / "kav.dir", c.record * kContentsRecordSize + 200, static_cast<std::uint32_t>(c.level));
        const Usage usage = UseDataFolder(copy->path());
        ExpectOpenFailures(usage, kNone);
        EXPECT_TRUE(usage.contentsLoaded);
        if (c.level == 4) {
            EXPECT_EQ(usage.contentsRecords, sound);
            continue;
        }
        EXPECT_EQ(usage.contentsRecords, c.kept);
        EXPECT_NE(usage.contentsProblem.find("record " + std::to_string(c.record + 1)), std::string::npos)
            << usage.contentsProblem;
    }
}

TEST_F(DamagedData, ContentsRecordsWhoseFirstPageIsOutsideTheStore)
{
    // Record 3 is the volume 卷一 (pages 1 .. 300); its docID is overwritten.
    for (const std::int32_t docID : {INT32_MIN, -1, 0, INT32_MAX}) {
        SCOPED_TRACE(docID);
        const auto copy = Copy();
        PatchU32(copy->path() / "kav.dir", 2 * kContentsRecordSize + 204, static_cast<std::uint32_t>(docID));
        const Usage usage = UseDataFolder(copy->path());
        ExpectOpenFailures(usage, kNone);
        EXPECT_EQ(usage.contentsRecords, s_soundUsage->contentsRecords);
        const std::string tool = "'" + (fs::path(VESK_BIN_DIR) / "vesk-tool").string() + "' ";
        const std::string data = " --data '" + copy->path().string() + "' 2>&1";
        EXPECT_EQ(test::RunCommand(tool + "page --record 3 --number 1" + data).code, 5);
        const test::CommandResult check = RunCheck(copy->path());
        EXPECT_EQ(check.code, 1);
        EXPECT_NE(check.out.find("kav.dir record 3: offset 432: pages " + std::to_string(docID) + " + 300 outside"),
                  std::string::npos)
            << check.out;
    }
}

TEST_F(DamagedData, VariantTablesBeyondTheKeys)
{
    // 20000 groups: group 11935 and later would have keys past 99999.
    std::string large;
    for (int g = 0; g < 20000; ++g) {
        char line[32];
        std::snprintf(line, sizeof line, "%s%X\n", g == 15000 ? "7532," : "", 0xE000 + g);
        large += line;
    }
    const auto copy = Copy();
    WriteBytes(copy->path() / "yitizi.txt", large);
    Usage usage = UseDataFolder(copy->path());
    ExpectOpenFailures(usage, kNone);
    {
        CIndex index;
        ASSERT_EQ(index.Open(copy->path(), "Index", kIndexWhole), 1);
        EXPECT_EQ(index.Variants().Groups().size(), 20000u);
        // 甲 (U+7532) now belongs to group 15000, whose key lies outside the tables.
        EXPECT_TRUE(test::Search(index, u"甲", false, true).empty());
        EXPECT_EQ(test::Search(index, u"甲", false, false).size(), 301u);
    }

    // A member past U+10FFFF: no character has it; spellings show U+FFFD.
    WriteBytes(copy->path() / "yitizi.txt", "5B78,110000,5B66\n");
    usage = UseDataFolder(copy->path());
    ExpectOpenFailures(usage, kNone);
    CIndex index;
    ASSERT_EQ(index.Open(copy->path(), "Index", kIndexWhole), 1);
    // 學 and 学 keep group 0 and its key: 學 on 45 pages, 学 on one more.
    EXPECT_EQ(test::Search(index, u"學", false, true).size(), s_soundUsage->wholeHitsOfStudy.size() + 1);
    EXPECT_EQ(index.ExpandVariants(u"學"), (std::vector<std::u16string>{u"學", u"\uFFFD", u"学"}));
    std::string page;
    EXPECT_GT(index.RenderHitPage(s_soundUsage->wholeHitsOfStudy.front().first, page, u"學", 0, true), 0);
}

TEST_F(DamagedData, CheckNamesTheDamage)
{
    const std::uint64_t blocks = fs::file_size(s_sound->path() / "Index-idx.m") / 4096;
    struct Case {
        const char* what;
        std::function<void(const fs::path&)> damage;
        const char* named;
    };
    const Case cases[] = {
        {"name width 0", [](const fs::path& d) { PatchU32(d / "Index-fl.h", 4, 0); }, "name width outside 1..260"},
        {"links past the data",
         [&](const fs::path& d) {
             for (std::uint64_t b = 0; b < blocks; ++b)
                 PatchU32(d / "Index-idx.h", kIndexTablesSize + 4 * b, static_cast<std::uint32_t>(blocks));
         },
         "block link outside the posting data"},
        {"contents level 0", [](const fs::path& d) { PatchU32(d / "kav.dir", 3 * kContentsRecordSize + 200, 0); },
         "kav.dir record 4: level 0 outside 1..19"},
        {"missing main-text posting data", [](const fs::path& d) { fs::remove(d / "Index_content-idx.m"); },
         "Index_content-idx.m: cannot be opened"},
        {"missing variant table", [](const fs::path& d) { fs::remove(d / "yitizi.txt"); },
         "yitizi.txt: cannot be read"},
        {"variant table cut to its first group", [](const fs::path& d) { WriteBytes(d / "yitizi.txt", "5B78,5B66\n"); },
         "Index-idx.h: key 88066: postings of group 1, but yitizi.txt has 1 group"},
        {"variant member with a stray character",
         [](const fs::path& d) { WriteBytes(d / "yitizi.txt", "5B78,5B66;\n7FD2,4E60\n"); },
         "yitizi.txt line 1 (group 0): member 2 \"5B66;\" is not a hexadecimal number (read as 5B66)"},
        {"variant member past U+10FFFF",
         [](const fs::path& d) { WriteBytes(d / "yitizi.txt", "5B78,5B66\n\n7FD2,110000\n"); },
         "yitizi.txt line 3 (group 1): member 2 \"110000\" is not a Unicode scalar value (beyond 10FFFF)"},
        {"variant member a surrogate", [](const fs::path& d) { WriteBytes(d / "yitizi.txt", "5B78,DC00\n7FD2,4E60\n"); },
         "member 2 \"DC00\" is not a Unicode scalar value (a surrogate)"},
        {"variant table of 20000 groups",
         [](const fs::path& d) {
             std::string groups;
             for (int g = 0; g < 20000; ++g)
                 groups += std::to_string(0xE000 + g) + "\n";
             WriteBytes(d / "yitizi.txt", groups);
         },
         "yitizi.txt line 11936 (group 11935): 20000 groups; group 11935 and the 8064 after it have keys past 99999"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto copy = Copy();
        c.damage(copy->path());
        const test::CommandResult result = RunCheck(copy->path());
        EXPECT_EQ(result.code, 1) << result.out;
        EXPECT_NE(result.out.find(c.named), std::string::npos) << result.out;
    }
    EXPECT_EQ(RunCheck(s_sound->path()).code, 0);
}

} // namespace
} // namespace vesk
