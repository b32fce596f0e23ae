// Limits of the data formats are build errors with a clear message, never a
// silent truncation; a failed build leaves no file behind and keeps the data
// files already in the folder.
#include "builder/builder.h"
#include "support/data_folder.h"
#include "file_bytes.h"

#include <gtest/gtest.h>

#include <functional>

namespace vesk::test {
namespace {

std::string Repeat(std::string_view piece, std::size_t times)
{
    std::string s;
    s.reserve(piece.size() * times);
    for (std::size_t i = 0; i < times; ++i)
        s += piece;
    return s;
}

build::SourceCorpus OneVolume(const std::string& cell, std::uint16_t firstPage = 2)
{
    return CorpusBuilder().Category("類").Work("書").Volume("卷", {cell}, firstPage).Take();
}

build::SourceCorpus WithVariantGroups(std::size_t groups)
{
    auto corpus = OneVolume("一");
    for (std::size_t g = 0; g < groups; ++g)
        corpus.variantTable += std::to_string(0x4E00 + g) + "\n";
    return corpus;
}

build::SourceCorpus WithCategories(std::size_t count)
{
    CorpusBuilder builder;
    for (std::size_t i = 0; i < count; ++i)
        builder.Category("類");
    return builder.Take();
}

build::SourceCorpus WithNode(int level, std::string name, std::string folder,
                             std::vector<std::string> pages, std::uint16_t firstPage = 1)
{
    auto corpus = CorpusBuilder().Category("類").Work("書").Take();
    corpus.nodes.push_back({level, std::move(name), std::move(folder), firstPage,
                            std::move(pages), 0});
    return corpus;
}

struct LimitCase {
    const char* what;
    std::function<build::SourceCorpus()> corpus;
    const char* error; // empty: the corpus is just inside the limit
};

const LimitCase kCases[] = {
    {"65535 bytes of positions of one key on a page", [] { return OneVolume(Repeat("一", 65535)); }, ""},
    {"65536 bytes of positions of one key on a page", [] { return OneVolume(Repeat("一", 65536)); },
     "65536 bytes of positions for key 6656 on one page"},
    {"a keyed position of 4194303", [] { return OneVolume(std::string(4194303, 'a') + "一"); }, ""},
    {"a keyed position of 4194304", [] { return OneVolume(std::string(4194304, 'a') + "一"); },
     "position 4194304 is above 4194303"},
    {"11935 variant groups", [] { return WithVariantGroups(11935); }, ""},
    {"11936 variant groups", [] { return WithVariantGroups(11936); },
     "11936 groups; group 11935 and the 0 after it have keys past 99999"},
    {"9999 contents records", [] { return WithCategories(9999); }, ""},
    {"10000 contents records", [] { return WithCategories(10000); }, "at most 9999"},
    {"a name of 100 UTF-16 units", [] { return WithNode(2, Repeat("字", 100), "", {}); },
     "the name has 100 UTF-16 units"},
    {"a name of 50 characters outside the BMP", [] { return WithNode(2, Repeat("𠀀", 50), "", {}); },
     "the name has 100 UTF-16 units"},
    {"a name that is not UTF-8", [] { return WithNode(2, "\xE5\xAD", "", {}); }, "not valid UTF-8"},
    {"page number 0", [] { return WithNode(3, "卷", "v", {"x"}, 0); }, "page number is 0"},
    {"page 65535", [] { return WithNode(3, "卷", "v", {"x"}, 65535); }, ""},
    {"pages past 65535", [] { return WithNode(3, "卷", "v", {"x", "y"}, 65535); },
     "past page number 65535"},
    {"a volume without pages", [] { return WithNode(3, "卷", "v", {}); }, "has no pages"},
    {"a work with pages", [] { return WithNode(2, "書", "", {"x"}); }, "only volumes"},
    {"level 4", [] { return WithNode(4, "節", "", {}); }, "level 4 is not 1, 2 or 3"},
    {"a volume first", [] { return CorpusBuilder().Volume("卷", {"x"}).Take(); },
     "level 3 has no node of level 2 before it"},
    {"a folder leaving the source", [] { return WithNode(3, "卷", "../x", {"x"}); },
     "not a valid volume folder"},
    {"an empty folder component", [] { return WithNode(3, "卷", "a//b", {"x"}); },
     "not a valid volume folder"},
    {"a stored name over 99 bytes", [] { return WithNode(3, "卷", std::string(91, 'f'), {"x"}); },
     "does not fit the 100-byte name field"},
};

TEST(FormatLimits, ErrorsAtTheLimitsAndNotBefore)
{
    for (const LimitCase& c : kCases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        build::BuildReport report;
        std::string error;
        const bool ok = build::WriteDataFolder(c.corpus(), dir.path(), report, error);
        if (*c.error == '\0') {
            EXPECT_TRUE(ok) << error;
            continue;
        }
        EXPECT_FALSE(ok);
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << "one line";
        EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << "nothing is left behind";
    }
}

TEST(FormatLimits, FailedBuildKeepsTheDataFilesThatWereThere)
{
    TempDir dir;
    ASSERT_TRUE(MakeDataFolder(OneVolume("一二三"), dir.path()));
    const std::string store = ReadBytes(dir / "Index-fl.cnt");
    const std::string index = ReadBytes(dir / "Index-idx.h");

    build::BuildReport report;
    std::string error;
    auto corpus = OneVolume("四五");
    corpus.nodes.push_back(corpus.nodes.back()); // a second volume, then a bad one
    corpus.nodes.push_back({3, "卷", "v", 1, {MakePage(1, Repeat("一", 65536))}, 0});
    EXPECT_FALSE(build::WriteDataFolder(corpus, dir.path(), report, error));

    EXPECT_TRUE(ReadBytes(dir / "Index-fl.cnt") == store);
    EXPECT_TRUE(ReadBytes(dir / "Index-idx.h") == index);
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        EXPECT_NE(entry.path().extension(), ".partial");
        ++files;
    }
    EXPECT_EQ(files, build::DataFileNames().size());
}

} // namespace
} // namespace vesk::test
