// The all-or-nothing file helpers: exclusive creation that never follows a
// symlink, a replaced file that is old or new but never partial, and one
// writer per folder.
#include "fileio/exclusive_file.h"
#include "fileio/folder_lock.h"
#include "support/data_folder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <iterator>
#include <thread>
#include <unistd.h>

namespace vesk::fileio {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void Write(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

TEST(CreateExclusive, RefusesEveryTakenName)
{
    test::TempDir dir;
    Write(dir / "outside", "keep me");
    fs::create_symlink(dir / "outside", dir / "link");
    fs::create_symlink(dir / "nowhere", dir / "dangling");
    Write(dir / "file", "old");
    fs::create_directory(dir / "folder");
    for (const char* name : {"link", "dangling", "file", "folder"}) {
        std::string error;
        EXPECT_LT(CreateExclusive(dir / name, error), 0) << name;
        EXPECT_NE(error.find(name), std::string::npos) << error;
    }
    EXPECT_EQ(Read(dir / "outside"), "keep me");
    EXPECT_FALSE(fs::exists(dir / "nowhere")); // not created through the dangling link
    EXPECT_EQ(Read(dir / "file"), "old");

    std::string error;
    EXPECT_TRUE(RemoveLeftover(dir / "link", error)) << error;
    EXPECT_TRUE(RemoveLeftover(dir / "missing", error)) << error;
    EXPECT_FALSE(RemoveLeftover(dir / "folder", error));
    EXPECT_EQ(Read(dir / "outside"), "keep me");
    const int fd = CreateExclusive(dir / "link", error);
    EXPECT_GE(fd, 0) << error;
    ::close(fd);
}

TEST(AtomicFile, ReplacesOnlyOnCommitAndLeavesNothingBehind)
{
    test::TempDir dir;
    const fs::path target = dir / "kav.txt";
    Write(target, "old");
    std::string error;
    {
        AtomicFile abandoned;
        ASSERT_TRUE(abandoned.Create(target, error)) << error;
        ASSERT_TRUE(abandoned.Write("new but never committed", error)) << error;
    }
    EXPECT_EQ(Read(target), "old");
    ASSERT_TRUE(WriteFileAtomically(target, "new", error)) << error;
    EXPECT_EQ(Read(target), "new");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);

    EXPECT_FALSE(WriteFileAtomically(dir / "no-such-folder" / "x", "y", error));
    EXPECT_NE(error.find("no-such-folder"), std::string::npos) << error;
}

// Two writers of one name and a reader: the reader only ever sees one of the
// complete contents (a file truncated and rewritten in place shows empty or
// partial contents here).
TEST(AtomicFile, ConcurrentWritersLeaveOneCompleteFile)
{
    test::TempDir dir;
    const fs::path target = dir / "listing";
    const std::string a(100000, 'a'), b(150000, 'b');
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(target, a, error)) << error;
    std::atomic<bool> done{false};
    std::atomic<int> mixed{0};
    std::thread reader([&] {
        while (!done) {
            const std::string seen = Read(target);
            if (seen != a && seen != b)
                ++mixed;
        }
    });
    auto writer = [&](const std::string& bytes) {
        std::string problem;
        for (int i = 0; i < 50; ++i)
            WriteFileAtomically(target, bytes, problem);
    };
    std::thread first(writer, a), second(writer, b);
    first.join();
    second.join();
    done = true;
    reader.join();
    EXPECT_EQ(mixed, 0);
}

TEST(FolderLock, OneWriterAtATime)
{
    test::TempDir dir;
    std::string error;
    {
        FolderLock first;
        ASSERT_TRUE(first.Acquire(dir.path(), error)) << error;
        FolderLock second;
        EXPECT_FALSE(second.Acquire(dir.path(), error));
        EXPECT_NE(error.find("is being written by another program"), std::string::npos) << error;
    }
    FolderLock again; // released with the first
    EXPECT_TRUE(again.Acquire(dir.path(), error)) << error;
    FolderLock missing;
    EXPECT_FALSE(missing.Acquire(dir / "missing", error));
}

} // namespace
} // namespace vesk::fileio
