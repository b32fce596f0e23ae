// Damaged index files: tables that do not fit their files fail Open with the
// message; bad first blocks, links and cycles end the term with no hits and
// a diagnostic, never a read past the data.
#include "support/data_folder.h"
#include "support/search_helpers.h"
#include "textstore/code_converter.h"

#include <gtest/gtest.h>

#include <fstream>

namespace vesk {
namespace {

namespace fs = std::filesystem;
using test::Hits;

void PatchU32(const fs::path& file, std::uint64_t offset, std::uint32_t value)
{
    std::fstream f(file, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(static_cast<std::streamoff>(offset));
    const char bytes[4] = {static_cast<char>(value), static_cast<char>(value >> 8), static_cast<char>(value >> 16),
                           static_cast<char>(value >> 24)};
    f.write(bytes, 4);
}

std::uint32_t ReadU32(const fs::path& file, std::uint64_t offset)
{
    std::ifstream f(file, std::ios::binary);
    f.seekg(static_cast<std::streamoff>(offset));
    unsigned char b[4] = {};
    f.read(reinterpret_cast<char*>(b), 4);
    return b[0] | b[1] << 8 | b[2] << 16 | static_cast<std::uint32_t>(b[3]) << 24;
}

std::uint32_t KeyOf(char32_t c)
{
    return static_cast<std::uint32_t>(CodePointToSlot(c));
}

class IndexCorruption : public ::testing::Test {
protected:
    void SetUp() override
    {
        // 甲 on every page: its stream runs over several blocks. 乙 fits one block.
        std::vector<std::string> pages;
        for (int i = 0; i < 600; ++i)
            pages.push_back(i == 7 ? "甲乙" : "甲丙甲丙甲丙甲丙甲丙甲丙甲丙甲丙甲丙");
        const auto corpus = test::CorpusBuilder().Category("類").Work("書").Volume("巻", pages).Take();
        build::WriteOptions options;
        options.interleaveBlocks = true;
        ASSERT_TRUE(test::MakeDataFolder(corpus, m_dir.path(), options));
        CIndex index;
        ASSERT_EQ(index.Open(m_dir.path(), "Index", kIndexWhole), 1);
        m_sound = test::Search(index, u"甲");
        ASSERT_EQ(m_sound.size(), 600u);
        m_firstBlockOfA = static_cast<std::uint32_t>(index.FirstBlocks()[KeyOf(U'甲')]);
        ASSERT_GT(index.BlockLinks().size(), 2u);
    }
    fs::path Dir() const { return m_dir.path() / "Index-idx.h"; }

    test::TempDir m_dir;
    Hits m_sound;
    std::uint32_t m_firstBlockOfA = 0;
};

TEST_F(IndexCorruption, TablesThatDoNotFitTheirFilesFailOpen)
{
    struct Case {
        const char* what;
        void (*damage)(const fs::path& dir);
    };
    const Case cases[] = {
        {"directory shorter than its tables", [](const fs::path& d) { fs::resize_file(d / "Index-idx.h", 1399999); }},
        {"empty directory", [](const fs::path& d) { fs::resize_file(d / "Index-idx.h", 0); }},
        {"missing posting data", [](const fs::path& d) { fs::remove(d / "Index-idx.m"); }},
        {"missing page store", [](const fs::path& d) { fs::remove(d / "Index-fl.cnt"); }},
        {"page store name width 0", [](const fs::path& d) { PatchU32(d / "Index-fl.h", 4, 0); }},
        {"page store name width 261", [](const fs::path& d) { PatchU32(d / "Index-fl.h", 4, 261); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir copy;
        fs::copy(m_dir.path(), copy.path(), fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        c.damage(copy.path());
        test::ReportCapture capture;
        CIndex index;
        EXPECT_EQ(index.Open(copy.path(), "Index", kIndexWhole), 0);
        EXPECT_FALSE(index.IsOpen());
        EXPECT_EQ(capture.messages, std::vector<std::string>{"データを開けませんでした。"});
        EXPECT_EQ(test::Search(index, u"甲"), Hits{});
    }
}

TEST_F(IndexCorruption, DirectoryWithoutLinksOpensAndOneBlockStreamsStillWork)
{
    fs::resize_file(Dir(), kIndexTablesSize);
    CIndex index;
    ASSERT_EQ(index.Open(m_dir.path(), "Index", kIndexWhole), 1);
    EXPECT_TRUE(index.BlockLinks().empty());
    EXPECT_EQ(test::Search(index, u"乙"), (Hits{{7, 1}}));
    test::ReportCapture capture;
    EXPECT_EQ(test::Search(index, u"甲"), Hits{});
    ASSERT_EQ(capture.diagnostics.size(), 1u);
    EXPECT_NE(capture.diagnostics[0].find("block-link"), std::string::npos) << capture.diagnostics[0];
}

TEST_F(IndexCorruption, BadBlocksEndTheTermWithADiagnostic)
{
    const std::uint64_t firstEntry = std::uint64_t{KeyOf(U'甲')} * 4;
    const std::uint64_t linkOfFirst = kIndexTablesSize + std::uint64_t{m_firstBlockOfA} * 4;
    struct Case {
        const char* what;
        std::uint64_t offset;
        std::uint32_t value;
    };
    const Case cases[] = {
        {"first block past the data", firstEntry, 0x7FFFFFF0},
        {"first block below -1", firstEntry, 0xFFFFFFF0},
        {"link past the data", linkOfFirst, 0xFFFFFFFE},
        {"link back to itself", linkOfFirst, m_firstBlockOfA},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::uint32_t saved = ReadU32(Dir(), c.offset);
        PatchU32(Dir(), c.offset, c.value);
        CIndex index;
        ASSERT_EQ(index.Open(m_dir.path(), "Index", kIndexWhole), 1);
        test::ReportCapture capture;
        EXPECT_EQ(test::Search(index, u"甲 乙", true), (Hits{{7, 1}})) << "the other term stays under or";
        EXPECT_EQ(test::Search(index, u"乙 甲"), Hits{});
        EXPECT_FALSE(capture.diagnostics.empty());
        PatchU32(Dir(), c.offset, saved);
    }
    CIndex index;
    ASSERT_EQ(index.Open(m_dir.path(), "Index", kIndexWhole), 1);
    EXPECT_EQ(test::Search(index, u"甲"), m_sound);
}

TEST_F(IndexCorruption, WrongLastPageCannotRunAStreamAway)
{
    const std::uint64_t lastPageEntry = 1000000 + std::uint64_t{KeyOf(U'甲')} * 4;
    for (const std::uint32_t lastPage : {5000u, 0xFFFFFFFFu}) {
        PatchU32(Dir(), lastPageEntry, lastPage);
        CIndex index;
        ASSERT_EQ(index.Open(m_dir.path(), "Index", kIndexWhole), 1);
        test::ReportCapture capture;
        EXPECT_EQ(test::Search(index, u"甲"), Hits{});
        EXPECT_EQ(capture.diagnostics.size(), 1u);
    }
}

} // namespace
} // namespace vesk
