// Reading a whole file through ReadOnlyFile::ReadToEnd.
#include "support/data_folder.h"
#include "textstore/read_only_file.h"

#include <gtest/gtest.h>

#include <fstream>

namespace vesk {
namespace {

TEST(ReadOnlyFile, ReadToEndGivesTheWholeFile)
{
    test::TempDir dir;
    std::string large(200000, '\0');
    for (std::size_t i = 0; i < large.size(); ++i)
        large[i] = static_cast<char>(i * 7 % 251);
    for (const std::string& bytes : {std::string(), std::string("4E00,5F0C\n"), large}) {
        SCOPED_TRACE(bytes.size());
        std::ofstream(dir / "file", std::ios::binary | std::ios::trunc)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        ReadOnlyFile file;
        ASSERT_TRUE(file.Open(dir / "file"));
        std::string read = "stale";
        EXPECT_TRUE(file.ReadToEnd(read));
        EXPECT_EQ(read, bytes);
        // Positioned reads: a second call reads from the start again.
        EXPECT_TRUE(file.ReadToEnd(read));
        EXPECT_EQ(read, bytes);
    }
}

TEST(ReadOnlyFile, ReadToEndReadsPastASizeOfZero)
{
    // Kernel files show a size of 0 and hold text all the same.
    ReadOnlyFile file;
    if (!file.Open("/proc/self/maps"))
        GTEST_SKIP() << "no /proc/self/maps";
    std::string read;
    EXPECT_TRUE(file.ReadToEnd(read));
    EXPECT_GT(read.size(), 100u);
    EXPECT_EQ(read.back(), '\n');
}

TEST(ReadOnlyFile, ReadToEndOfAClosedFileFails)
{
    ReadOnlyFile file;
    std::string read = "stale";
    EXPECT_FALSE(file.ReadToEnd(read));
    EXPECT_TRUE(read.empty());
}

} // namespace
} // namespace vesk
