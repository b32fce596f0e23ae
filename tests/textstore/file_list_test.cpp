// The page store reader over hand-written directory and content files.
#include "support/data_folder.h"
#include "textstore/file_list.h"

#include <gtest/gtest.h>

#include <climits>
#include <fstream>

namespace vesk {
namespace {

namespace fs = std::filesystem;

struct Entry {
    std::string name;
    std::uint32_t end;
    std::uint32_t length;
};

void PutU32(std::string& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>(v >> (8 * i));
}

// Writes Index-fl.h with name width n and Index-fl.cnt with content scrambled.
void WriteStore(const fs::path& dir, std::int32_t width, const std::vector<Entry>& entries, const std::string& content,
                std::int32_t headerValue = 7)
{
    std::string directory;
    PutU32(directory, static_cast<std::uint32_t>(headerValue));
    PutU32(directory, static_cast<std::uint32_t>(width));
    directory.append(260, 'h');
    for (const Entry& e : entries) {
        std::string name = e.name;
        name.resize(static_cast<std::size_t>(width), '\0');
        directory += name;
        PutU32(directory, e.end);
        PutU32(directory, e.length);
    }
    std::ofstream(dir / "Index-fl.h", std::ios::binary) << directory;
    std::string scrambled = content;
    for (char& c : scrambled)
        c = static_cast<char>(c ^ 0x5A);
    std::ofstream(dir / "Index-fl.cnt", std::ios::binary) << scrambled;
}

TEST(FileList, ReadsFieldsAtTheirOffsetsAndUnscramblesPages)
{
    test::TempDir dir;
    const std::string content = "<p>one</p><p>two!</p>\x5A\xA5<p>three</p>";
    WriteStore(dir.path(), 100,
               {{"v\\0001.htm", 10, 10}, {"v\\0002.htm", 23, 13}, {"v\\0003.htm", 35, 12}}, content);
    CFileList list;
    ASSERT_TRUE(list.Open(dir.path(), "Index"));
    EXPECT_EQ(list.GetHeaderValue(), 7);
    EXPECT_EQ(list.GetRecordCount(), 3u);
    std::uint32_t length = 0;
    ASSERT_TRUE(list.GetRecordLength(2, length)); // the four bytes at 268 + 2 * 108 + 104 = 588
    EXPECT_EQ(length, 12u);
    std::string page;
    ASSERT_TRUE(list.ReadRecord(1, page));
    EXPECT_EQ(page, std::string("<p>two!</p>\x5A\xA5"));
    ASSERT_TRUE(list.ReadRecord(2, page));
    EXPECT_EQ(page, "<p>three</p>");
    std::vector<char> small(11);
    EXPECT_FALSE(list.ReadRecord(2, std::span<char>(small))) << "a buffer shorter than the page";
}

TEST(FileList, RejectsEntriesOutsideTheFiles)
{
    test::TempDir dir;
    WriteStore(dir.path(), 16,
               {{"v\\1.htm", 10, 10}, {"v\\2.htm", 11, 5}, {"v\\3.htm", 5, 6}, {"v\\4.htm", 0xFFFFFFFF, 0xFFFFFFFF}},
               "0123456789");
    CFileList list;
    ASSERT_TRUE(list.Open(dir.path(), "Index"));
    std::uint32_t length = 99;
    std::string page = "untouched";
    for (std::uint32_t index : {1u, 2u, 3u, 4u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(index);
        EXPECT_FALSE(list.GetRecordLength(index, length));
        EXPECT_FALSE(list.ReadRecord(index, page));
    }
    EXPECT_EQ(length, 99u);
    EXPECT_EQ(page, "untouched");
    EXPECT_TRUE(list.ReadRecord(0, page));
}

TEST(FileList, OpenChecksTheHeader)
{
    for (const std::int32_t width : {0, -1, 261}) {
        SCOPED_TRACE(width);
        test::TempDir dir;
        WriteStore(dir.path(), 8, {{"v\\1.htm", 1, 1}}, "x");
        std::fstream f(dir.path() / "Index-fl.h", std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(4);
        std::string bytes;
        PutU32(bytes, static_cast<std::uint32_t>(width));
        f << bytes;
        f.close();
        CFileList list;
        EXPECT_FALSE(list.Open(dir.path(), "Index"));
        EXPECT_FALSE(list.IsOpen());
    }
    test::TempDir dir;
    WriteStore(dir.path(), 8, {}, "");
    fs::resize_file(dir.path() / "Index-fl.h", 267);
    CFileList list;
    EXPECT_FALSE(list.Open(dir.path(), "Index")) << "shorter than its header";
    EXPECT_FALSE(list.Open(dir.path(), "Other")) << "missing files";
}

TEST(FileList, PageNumbersComeFromTheNameAfterItsLastBackslash)
{
    struct Case {
        std::string name;
        std::optional<std::int32_t> number;
    };
    const Case cases[] = {
        {"vol03\\0012.htm", 12},  {"a.b\\7.htm", 7},        {"x\\y\\ 0042.htm", 42},  {"v\\-3.htm", -3},
        {"v\\12abc.htm", 12},     {"v\\abc.htm", 0},        {"v\\.htm", 0},           {"noslash.htm", std::nullopt},
        {"v\\nodot", std::nullopt}, {"v.d\\x", std::nullopt}, {"v\\99999999999.htm", INT_MAX},
        {"v\\-99999999999.htm", INT_MIN},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CFileList::PageNumberFromName(c.name), c.number) << c.name;
}

TEST(FileList, FindRecordByNumberScansOnwardAndReportsWhereItStopped)
{
    test::TempDir dir;
    WriteStore(dir.path(), 32,
               {{"a\\0001.htm", 1, 1}, {"a\\0002.htm", 2, 1}, {"b\\0001.htm", 3, 1}, {"b\\nodot", 4, 1},
                {"b\\0003.htm", 5, 1}},
               "abcde");
    CFileList list;
    std::int32_t found = -7;
    EXPECT_FALSE(list.FindRecordByNumber(0, 1, found)) << "closed";
    EXPECT_EQ(found, -7);
    ASSERT_TRUE(list.Open(dir.path(), "Index"));
    struct Case {
        std::int32_t start, number;
        bool result;
        std::int32_t found;
    };
    const Case cases[] = {
        {0, 1, true, 0}, {1, 1, true, 2}, {2, 3, true, 4}, {0, 9, false, 4},
        {5, 1, false, 4}, {9, 1, false, 8}, {-1, 1, false, -2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.start) + " " + std::to_string(c.number));
        EXPECT_EQ(list.FindRecordByNumber(c.start, c.number, found), c.result);
        EXPECT_EQ(found, c.found);
    }
}

TEST(FileList, ClosedListTouchesNoOutput)
{
    CFileList list;
    std::uint32_t length = 3;
    std::string page = "kept";
    EXPECT_FALSE(list.GetRecordLength(0, length));
    EXPECT_FALSE(list.ReadRecord(0, page));
    EXPECT_EQ(length, 3u);
    EXPECT_EQ(page, "kept");
    EXPECT_EQ(list.GetHeaderValue(), 0);
    list.Close();
}

} // namespace
} // namespace vesk
