// The builder in bounded memory: whatever the size of the posting buffer, and
// however many sorted runs it spills and merges, the data files are the bytes
// of a build held wholly in memory; the spill folder never outlives the
// build, whether it succeeds, fails or is ended by a signal.
#include "builder/builder.h"
#include "builder/spill_folder.h"
#include "support/data_folder.h"
#include "file_bytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <csignal>
#include <random>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace vesk::test {
namespace {

namespace fs = std::filesystem;

std::string Utf8(char32_t c)
{
    std::string s;
    if (c < 0x10000) {
        s += static_cast<char>(0xE0 | (c >> 12));
    } else {
        s += static_cast<char>(0xF0 | (c >> 18));
        s += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    }
    s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (c & 0x3F));
    return s;
}

// Pages drawn from a few frequent characters (streams over many blocks) and
// some hundreds of rarer ones (many short streams), with annotations, a
// character outside the BMP and variant groups, in three volumes.
build::SourceCorpus MixedCorpus(int pages)
{
    std::mt19937 random(11);
    auto character = [&]() -> std::string {
        const unsigned r = random() % 100;
        if (r < 40)
            return Utf8(0x4E00 + r % 4);
        if (r == 99)
            return Utf8(0x20000 + random() % 3);
        return Utf8(0x5000 + random() % 600);
    };
    CorpusBuilder builder;
    builder.Category("類").Work("書");
    for (int volume = 0; volume < 3; ++volume) {
        std::vector<std::string> cells;
        for (int p = 0; p < pages / 3; ++p) {
            std::string cell;
            for (int i = 0; i < 900; ++i) {
                cell += character();
                if (random() % 50 == 0)
                    cell += Note(character() + character());
            }
            cells.push_back(std::move(cell));
        }
        builder.Volume("卷", cells, static_cast<std::uint16_t>(1 + volume));
    }
    return builder.Variants("4E00,4E01\n5000,5001,5002\n20000,5003\n").Take();
}

// The data files' bytes; the generation id of a pair or page-count file
// (bytes 16..31), which every build draws anew, reads as zeros.
std::vector<std::string> DataFiles(const fs::path& dir)
{
    std::vector<std::string> files;
    for (const std::string& name : build::DataFileNames()) {
        std::string bytes = ReadBytes(dir / name);
        if ((name.ends_with(".pairs") || name.ends_with(".counts")) && bytes.size() >= 32)
            bytes.replace(16, 16, 16, '0');
        files.push_back(std::move(bytes));
    }
    return files;
}

std::vector<std::string> FolderEntries(const fs::path& dir)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::ranges::sort(names);
    return names;
}

TEST(BoundedMemory, SpilledRunsGiveTheBytesOfAnInMemoryBuild)
{
    const build::SourceCorpus corpus = MixedCorpus(90);
    struct Case {
        const char* what;
        std::uint64_t budget;
        bool interleave;
        std::size_t minRuns, maxRuns;         // of posting data
        std::size_t minPairRuns, maxPairRuns; // of pair places, all layers
    };
    // A layer's pair runs are read at once up to 8 with these budgets; at
    // 12 KiB every page's pairs fill a run of their own and runs are first
    // merged in groups.
    const Case cases[] = {
        {"a few runs", 768 << 10, false, 2, 32, 6, 3 * 8},
        {"a few runs, interleaved blocks", 768 << 10, true, 2, 32, 6, 3 * 8},
        {"more runs than are read at once", 12 << 10, false, 33, 100000, 3 * 80, 100000},
    };
    for (const bool interleave : {false, true}) {
        TempDir whole;
        build::BuildReport report;
        ASSERT_TRUE(MakeDataFolder(corpus, whole.path(), {.interleaveBlocks = interleave}));
        const auto expected = DataFiles(whole.path());
        for (const Case& c : cases) {
            if (c.interleave != interleave)
                continue;
            SCOPED_TRACE(c.what);
            TempDir dir;
            std::string error;
            ASSERT_TRUE(build::WriteDataFolder(
                corpus, dir.path(), report, error, {},
                {.interleaveBlocks = c.interleave, .bufferBytes = c.budget}))
                << error;
            EXPECT_GE(report.spilledRuns, c.minRuns);
            EXPECT_LE(report.spilledRuns, c.maxRuns);
            EXPECT_GE(report.pairRuns, c.minPairRuns);
            EXPECT_LE(report.pairRuns, c.maxPairRuns);
            const auto files = DataFiles(dir.path());
            for (std::size_t f = 0; f < files.size(); ++f)
                EXPECT_TRUE(files[f] == expected[f]) << build::DataFileNames()[f] << " differs";
            for (const std::string& name : FolderEntries(dir.path()))
                EXPECT_FALSE(name.starts_with(".vesk-build-runs-")) << "the spill folder is gone";
        }
    }
}

// Also the folder of an earlier build killed outright goes, once the next
// build into the same output has its writer lock.
TEST(BoundedMemory, AFailedBuildLeavesNoSpillFolder)
{
    build::SourceCorpus corpus = MixedCorpus(30);
    std::string tooMany; // 65536 bytes of positions of one key on one page
    for (int i = 0; i < 65536; ++i)
        tooMany += "\xE4\xB8\x80";
    corpus.nodes.push_back({3, "卷", "bad", 1, {MakePage(1, tooMany)}, 0});
    TempDir dir;
    const fs::path stale = dir.path() / ".vesk-build-runs-Xy12Zq";
    fs::create_directory(stale);
    std::ofstream(stale / "run-0") << "left by a build killed outright";
    build::BuildReport report;
    std::string error;
    EXPECT_FALSE(build::WriteDataFolder(corpus, dir.path(), report, error, {},
                                        {.bufferBytes = 8 << 10}));
    // Named as a build in one pass names it, whichever thread found it.
    EXPECT_TRUE(error.starts_with("page bad\\0001.htm: 65536 bytes of positions")) << error;
    EXPECT_TRUE(FolderEntries(dir.path()).empty());
}

TEST(BoundedMemory, ASignalRemovesTheSpillFolder)
{
    const build::SourceCorpus corpus = MixedCorpus(300);
    TempDir dir;
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        build::RemoveSpillFoldersOnSignals();
        build::BuildReport report;
        std::string error;
        // A buffer this small spills for seconds: the signal comes first.
        build::WriteDataFolder(corpus, dir.path(), report, error, {},
                               {.bufferBytes = 1024});
        ::_exit(0);
    }
    // Wait for the first run file, so the folder is registered for removal.
    bool sawRun = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!sawRun && std::chrono::steady_clock::now() < deadline) {
        for (const auto& entry : fs::directory_iterator(dir.path()))
            if (entry.path().filename().string().starts_with(".vesk-build-runs-") &&
                fs::exists(entry.path() / "run-0"))
                sawRun = true;
        if (!sawRun)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ::kill(child, SIGTERM);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(sawRun) << "the build never spilled";
    ASSERT_TRUE(WIFSIGNALED(status)) << "the build ended before the signal";
    EXPECT_EQ(WTERMSIG(status), SIGTERM);
    for (const std::string& name : FolderEntries(dir.path()))
        EXPECT_FALSE(name.starts_with(".vesk-build-runs-")) << name;
}

TEST(BoundedMemory, ListedPagesBuildTheSameFilesAsPagesReadWhole)
{
    const build::SourceCorpus corpus = MixedCorpus(12);
    TempDir source, listed, read;
    WriteSourceFolder(corpus, source.path());
    build::SourceCorpus fromList, fromRead;
    build::BuildReport report;
    std::string error;
    ASSERT_TRUE(build::ListSourceCorpus(source.path(), fromList, error)) << error;
    ASSERT_TRUE(build::ReadSourceCorpus(source.path(), fromRead, error)) << error;
    EXPECT_TRUE(fromList.nodes.back().pagesListed);
    EXPECT_EQ(fromList.pageSources.size(), 12u);
    EXPECT_EQ(fromList.nodes.back().pages, std::vector<std::string>(4)) << "no bytes held";
    ASSERT_TRUE(MakeDataFolder(fromList, listed.path()));
    ASSERT_TRUE(MakeDataFolder(fromRead, read.path()));
    EXPECT_TRUE(DataFiles(listed.path()) == DataFiles(read.path()));

    // A listed page that is gone by the time it is written fails the build
    // with its name.
    const std::string gone = fromList.pageSources.back();
    fs::remove(gone);
    TempDir failed;
    EXPECT_FALSE(build::WriteDataFolder(fromList, failed.path(), report, error));
    EXPECT_NE(error.find(gone), std::string::npos)
        << error;
}

} // namespace
} // namespace vesk::test
