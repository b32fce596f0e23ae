// The page store the builder writes: header, 108-byte entries with
// "folder\NNNN.htm" names, and page bytes scrambled with XOR 0x5A.
#include "builder/builder.h"
#include "support/data_folder.h"
#include "file_bytes.h"

#include <gtest/gtest.h>

namespace vesk::test {
namespace {

struct StoredPage {
    std::string name;
    std::string bytes;
};

// Reads the store back by its documented layout.
std::vector<StoredPage> ReadStore(const std::filesystem::path& folder, std::uint32_t& headerValue)
{
    const std::string dir = ReadBytes(folder / "Index-fl.h");
    const std::string content = ReadBytes(folder / "Index-fl.cnt");
    headerValue = U32At(dir, 0);
    EXPECT_EQ(U32At(dir, 4), 100u);
    EXPECT_EQ(dir.substr(8, 18), std::string("vesk page store 1\0", 18));
    EXPECT_EQ((dir.size() - 268) % 108, 0u);
    std::vector<StoredPage> pages;
    std::uint32_t previousEnd = 0;
    for (std::size_t at = 268; at + 108 <= dir.size(); at += 108) {
        const std::string field = dir.substr(at, 100);
        const std::uint32_t end = U32At(dir, at + 100), length = U32At(dir, at + 104);
        EXPECT_EQ(end - length, previousEnd) << "pages follow one another";
        previousEnd = end;
        std::string bytes = content.substr(end - length, length);
        for (char& c : bytes)
            c = static_cast<char>(c ^ 0x5A);
        pages.push_back({field.substr(0, field.find('\0')), bytes});
        EXPECT_EQ(field.find_first_not_of('\0', pages.back().name.size()), std::string::npos)
            << "the name is NUL-padded";
    }
    EXPECT_EQ(previousEnd, content.size());
    return pages;
}

TEST(PageStore, PagesReadBackUnderTheirNamesInCorpusOrder)
{
    const auto corpus = CorpusBuilder()
                            .Category("經").Work("論語")
                            .Volume("一", {"甲", "乙"}, 9, "lunyu/v1")
                            .Work("孟子")
                            .Volume("二", {"丙"}, 12345, "mengzi")
                            .VolumeOfPages("三", {"", "\x5A\xA5 raw \xFF"}, 1, "a.b")
                            .Take();
    TempDir dir;
    ASSERT_TRUE(MakeDataFolder(corpus, dir.path()));
    std::uint32_t headerValue = 0;
    const auto pages = ReadStore(dir.path(), headerValue);
    EXPECT_EQ(headerValue, 5u) << "the header holds the number of pages";
    const std::vector<std::string> names = {"lunyu\\v1\\0009.htm", "lunyu\\v1\\0010.htm",
                                            "mengzi\\12345.htm", "a.b\\0001.htm",
                                            "a.b\\0002.htm"};
    ASSERT_EQ(pages.size(), names.size());
    std::size_t k = 0;
    for (const auto& node : corpus.nodes)
        for (const auto& page : node.pages) {
            EXPECT_EQ(pages[k].name, names[k]);
            EXPECT_EQ(pages[k].bytes, page) << names[k];
            ++k;
        }
}

TEST(PageStore, EmptyCorpusGivesAHeaderAlone)
{
    TempDir dir;
    ASSERT_TRUE(MakeDataFolder(build::SourceCorpus{}, dir.path()));
    std::uint32_t headerValue = 1;
    EXPECT_TRUE(ReadStore(dir.path(), headerValue).empty());
    EXPECT_EQ(headerValue, 0u);
    EXPECT_EQ(ReadBytes(dir / "Index-fl.h").size(), 268u);
    EXPECT_EQ(ReadBytes(dir / "kav.dir").size(), 0u);
    for (const char* base : {"Index", "Index_content", "Index_desc"}) {
        // No postings, but one block so the data file can be mapped.
        EXPECT_EQ(ReadBytes(dir / (std::string(base) + "-idx.m")).size(), 4096u);
        EXPECT_EQ(ReadBytes(dir / (std::string(base) + "-idx.h")).size(), 1400004u);
    }
}

} // namespace
} // namespace vesk::test
