// The fast scan (skip tables, decoded lists, direct counting of character
// pairs and of phrases over one key), also split in two halves on two
// threads, against the step-by-step scan: random keywords on a
// generated corpus whose streams run over many interleaved blocks, on sound
// data and on copies with damaged posting bytes, must give the same arrays.
#include "engine/posting_cursor.h"
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

// 甲 and 乙 are on nearly every page, 丙 丁 on many, 戊 on one page in six,
// 己 on one in sixty: cursors of frequent characters lag far behind them.
std::string RandomCell(std::mt19937& random)
{
    static const char* const kCommon[] = {"甲", "乙", "甲", "乙", "丙", "丁"};
    const bool withE = random() % 6 == 0, withF = random() % 60 == 0;
    std::string cell;
    for (std::size_t i = 0, length = 5 + random() % 400; i < length; ++i) {
        const unsigned pick = random() % 100;
        cell += withF && pick == 0 ? "己" : withE && pick < 3 ? "戊" : kCommon[random() % 6];
    }
    return cell;
}

std::u16string RandomKeyword(std::mt19937& random)
{
    static const std::u16string kUnits = u"甲乙丙丁戊己";
    const auto pick = [&random] { return kUnits[random() % kUnits.size()]; };
    switch (random() % 8) {
    case 0: // a pair with "*" between, counted by its own passes
        return {pick(), u'*', pick()};
    case 1: // a pair with a gap of at least one
        return {pick(), u'*', u'?', pick()};
    case 2: // a phrase led by a rare character: the frequent ones lag far behind it
        return {kUnits[4 + random() % 2], pick(), pick()};
    default:
        break;
    }
    std::u16string keyword;
    const std::size_t terms = 1 + (random() % 5 == 0 ? 1 : 0);
    for (std::size_t t = 0; t < terms; ++t) {
        if (t > 0)
            keyword += u' ';
        for (std::size_t i = 0, length = 1 + random() % 6; i < length; ++i) {
            const unsigned kind = random() % 12;
            keyword += kind == 0 ? u'*' : kind == 1 ? u'?' : pick();
        }
    }
    return keyword;
}

std::vector<std::uint8_t> ReadBytes(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

enum class ListDamage {
    Shorten,      // by one or two bytes or to nothing (a list without numbers)
    LongLast,     // the last number made a 3-byte one, which runs past the list
    LongInMiddle, // any byte made the first of a longer number: the numbers after it go out of step
};

// Damages the position lists of a few random page records of character's
// stream in the whole-text layer.
void DamageLists(const fs::path& folder, char16_t character, ListDamage damage, int records, std::mt19937& random)
{
    const std::vector<std::uint8_t> directory = ReadBytes(folder / "Index-idx.h");
    const std::vector<std::uint8_t> data = ReadBytes(folder / "Index-idx.m");
    const auto word = [&](std::size_t offset) {
        return std::uint32_t{directory[offset]} | std::uint32_t{directory[offset + 1]} << 8 |
               std::uint32_t{directory[offset + 2]} << 16 | std::uint32_t{directory[offset + 3]} << 24;
    };
    const auto key = static_cast<std::size_t>(CodePointToSlot(character));
    std::vector<std::uint32_t> links((directory.size() - 1400000) / 4);
    for (std::size_t b = 0; b < links.size(); ++b)
        links[b] = word(1400000 + 4 * b);
    PostingCursor cursor(data, links, word(4 * key));
    const std::uint32_t lastPage = word(1000000 + 4 * key);
    // Records whose list length and list lie whole in one block: the file
    // offset of the list and its length.
    std::vector<std::pair<std::uint64_t, std::uint32_t>> lists;
    while (cursor.ReadPageHeader()) {
        const CursorMark mark = cursor.Mark();
        if (mark.place.offset >= 2 && mark.place.offset + mark.remaining <= kPostingBlockSize)
            lists.emplace_back(std::uint64_t{mark.place.block} * kPostingBlockSize + mark.place.offset,
                               mark.remaining);
        if (cursor.Page() == lastPage || !cursor.SkipPositions())
            break;
    }
    ASSERT_GT(lists.size(), 100u);
    std::fstream f(folder / "Index-idx.m", std::ios::in | std::ios::out | std::ios::binary);
    for (int n = 0; n < records; ++n) {
        const auto [offset, length] = lists[random() % lists.size()];
        if (damage == ListDamage::Shorten) {
            const std::uint32_t cut = random() % 3;
            const std::uint32_t shortened = cut == 0 ? 0 : length > cut ? length - cut : 0;
            f.seekp(static_cast<std::streamoff>(offset - 2));
            const char bytes[2] = {static_cast<char>(shortened), static_cast<char>(shortened >> 8)};
            f.write(bytes, 2);
        } else if (damage == ListDamage::LongLast && length > 0) {
            std::uint64_t last = offset;
            for (std::uint64_t at = offset; at < offset + length; at += PostingStream::NumberLength(data[at]))
                last = at;
            f.seekp(static_cast<std::streamoff>(last));
            f.put(static_cast<char>(0xC0 | (data[last] & 0x3F)));
        } else if (length > 0) {
            f.seekp(static_cast<std::streamoff>(offset + random() % length));
            f.put(static_cast<char>(0x80 + random() % 0x80));
        }
    }
}

void CopyFolder(const fs::path& from, const fs::path& to)
{
    for (const auto& entry : fs::directory_iterator(from))
        fs::copy_file(entry.path(), to / entry.path().filename());
}

class ScanMethods : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        std::mt19937 random(5);
        test::CorpusBuilder builder;
        builder.Category("類").Work("書").Variants("7532,4E59\n"); // 甲 乙 one group
        for (int v = 0; v < 3; ++v) {
            std::vector<std::string> cells;
            for (int p = 0; p < 700; ++p)
                cells.push_back(RandomCell(random));
            builder.Volume("巻", cells);
        }
        build::WriteOptions options;
        options.interleaveBlocks = true;
        s_dir = new test::TempDir;
        ASSERT_TRUE(test::MakeDataFolder(builder.corpus(), s_dir->path(), options));
        for (int i = 0; i < 300; ++i)
            s_keywords.push_back(RandomKeyword(random));
        for (const char16_t* fixed : {u"甲乙", u"己 甲", u"戊*甲", u"甲*甲", u"甲?乙", u"己甲乙", u"甲乙丙丁戊"})
            s_keywords.emplace_back(fixed);
    }
    static void TearDownTestSuite()
    {
        delete s_dir;
        s_dir = nullptr;
    }

    // Runs every keyword with both methods on the data in folder; returns how
    // many found something. Both must find the same arrays and report the
    // same damage (key, offset and kind) in the same order.
    static int CompareMethods(const fs::path& folder)
    {
        test::ReportCapture quiet;
        CIndex stepByStep, fast, inTwo;
        stepByStep.SetScanMethod(ScanMethod::StepByStep);
        inTwo.SetScanMethod(ScanMethod::FastInTwo);
        if (stepByStep.Open(folder, "Index", kIndexWhole) != 1 || fast.Open(folder, "Index", kIndexWhole) != 1 ||
            inTwo.Open(folder, "Index", kIndexWhole) != 1) {
            ADD_FAILURE() << "cannot open " << folder;
            return 0;
        }
        int found = 0;
        for (std::size_t i = 0; i < s_keywords.size(); ++i) {
            const bool useOr = i % 7 == 3, useVariants = i % 5 == 4;
            std::string shown;
            Utf16ToUtf8(s_keywords[i], shown, true);
            SCOPED_TRACE(shown + (useOr ? " (or)" : "") + (useVariants ? " (variants)" : ""));
            test::ReportCapture expectedReports;
            const Hits expected = test::Search(stepByStep, s_keywords[i], useOr, useVariants);
            const std::vector<std::string> expectedDiagnostics = std::move(expectedReports.diagnostics);
            // Twice: the second run leaps through the skip tables made by the
            // first. Split in two halves, the first half leaps too, the second
            // walks; damage only the second meets is scanned again on one thread.
            for (CIndex* index : {&fast, &inTwo}) {
                for (int run = 0; run < 2; ++run) {
                    test::ReportCapture reports;
                    const char* method = index == &fast ? "fast, run " : "in two, run ";
                    EXPECT_EQ(test::Search(*index, s_keywords[i], useOr, useVariants), expected) << method << run;
                    EXPECT_EQ(reports.diagnostics, expectedDiagnostics) << method << run;
                }
            }
            found += expected.empty() ? 0 : 1;
        }
        return found;
    }

    static test::TempDir* s_dir;
    static std::vector<std::u16string> s_keywords;
};

test::TempDir* ScanMethods::s_dir = nullptr;
std::vector<std::u16string> ScanMethods::s_keywords;

TEST_F(ScanMethods, SameArraysOnSoundData)
{
    EXPECT_GT(CompareMethods(s_dir->path()), 150);
}

TEST_F(ScanMethods, SameArraysOnDamagedPostings)
{
    // Each copy has a few posting bytes overwritten: page deltas, list
    // lengths and positions go wrong, records run into each other. Half of
    // them also name a wrong last page for a frequent character, so that a
    // search stops in the middle of its stream or runs off its end.
    std::mt19937 random(17);
    for (int copy = 0; copy < 4; ++copy) {
        SCOPED_TRACE("damaged copy " + std::to_string(copy));
        test::TempDir damaged;
        CopyFolder(s_dir->path(), damaged.path());
        const fs::path data = damaged / "Index-idx.m";
        const auto size = fs::file_size(data);
        std::fstream f(data, std::ios::in | std::ios::out | std::ios::binary);
        for (int n = 0; n < 4; ++n) {
            f.seekp(static_cast<std::streamoff>(random() % size));
            f.put(static_cast<char>(random()));
        }
        f.close();
        if (copy % 2 == 1) {
            const char16_t character = copy == 1 ? u'甲' : u'丙';
            std::fstream dir(damaged / "Index-idx.h", std::ios::in | std::ios::out | std::ios::binary);
            dir.seekp(static_cast<std::streamoff>(1000000 + 4 * CodePointToSlot(character)));
            const std::uint32_t page = random() % 2100;
            const char bytes[4] = {static_cast<char>(page), static_cast<char>(page >> 8), 0, 0};
            dir.write(bytes, 4);
        }
        CompareMethods(damaged.path());
    }
}

TEST_F(ScanMethods, SameArraysOnDamagedLists)
{
    // Damage inside the position lists that the page searches read: each
    // copy has a few lists of one character's stream damaged.
    std::mt19937 random(23);
    for (const ListDamage damage : {ListDamage::Shorten, ListDamage::LongLast, ListDamage::LongInMiddle}) {
        for (const char16_t character : std::u16string_view(u"甲丙戊")) {
            std::string shown;
            Utf16ToUtf8(std::u16string(1, character), shown, true);
            SCOPED_TRACE("damaged lists of " + shown + ", damage " + std::to_string(static_cast<int>(damage)));
            test::TempDir damaged;
            CopyFolder(s_dir->path(), damaged.path());
            DamageLists(damaged.path(), character, damage, 3, random);
            CompareMethods(damaged.path());
        }
    }
}

} // namespace
} // namespace vesk

