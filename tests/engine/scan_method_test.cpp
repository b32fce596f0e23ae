// The fast scan (skip tables, decoded lists, direct counting of character
// pairs and of phrases over one key) against the step-by-step scan: random keywords on a
// generated corpus whose streams run over many interleaved blocks, on sound
// data and on copies with damaged posting bytes, must give the same arrays.
#include "support/data_folder.h"
#include "support/search_helpers.h"
#include "textstore/code_converter.h"

#include <gtest/gtest.h>

#include <fstream>
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
    std::u16string keyword;
    const std::size_t terms = 1 + (random() % 5 == 0 ? 1 : 0);
    for (std::size_t t = 0; t < terms; ++t) {
        if (t > 0)
            keyword += u' ';
        for (std::size_t i = 0, length = 1 + random() % 6; i < length; ++i) {
            const unsigned pick = random() % 12;
            keyword += pick == 0 ? u'*' : pick == 1 ? u'?' : kUnits[random() % kUnits.size()];
        }
    }
    return keyword;
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
    // many found something.
    static int CompareMethods(const fs::path& folder)
    {
        test::ReportCapture quiet;
        CIndex stepByStep, fast;
        stepByStep.SetScanMethod(ScanMethod::StepByStep);
        if (stepByStep.Open(folder, "Index", kIndexWhole) != 1 || fast.Open(folder, "Index", kIndexWhole) != 1) {
            ADD_FAILURE() << "cannot open " << folder;
            return 0;
        }
        int found = 0;
        for (std::size_t i = 0; i < s_keywords.size(); ++i) {
            const bool useOr = i % 7 == 3, useVariants = i % 5 == 4;
            std::string shown;
            Utf16ToUtf8(s_keywords[i], shown, true);
            SCOPED_TRACE(shown + (useOr ? " (or)" : "") + (useVariants ? " (variants)" : ""));
            const Hits expected = test::Search(stepByStep, s_keywords[i], useOr, useVariants);
            // Twice: the second run leaps through the skip tables made by the first.
            EXPECT_EQ(test::Search(fast, s_keywords[i], useOr, useVariants), expected);
            EXPECT_EQ(test::Search(fast, s_keywords[i], useOr, useVariants), expected);
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
        for (const auto& entry : fs::directory_iterator(s_dir->path()))
            fs::copy_file(entry.path(), damaged / entry.path().filename().string());
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

} // namespace
} // namespace vesk
