// Sorted runs of pair places read back: a run cut short or overwritten (the
// disk under the spill folder failing, another process writing there) stops
// the pair file with a one-line error naming the run, never a crash or a file
// written from wrong bytes.
#include "builder/output_file.h"
#include "builder/pair_file_writer.h"
#include "builder/pair_runs.h"
#include "builder/spill_folder.h"
#include "engine/pair_index.h"
#include "support/data_folder.h"
#include "textstore/code_converter.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>

namespace vesk::test {
namespace {

namespace fs = std::filesystem;

// Two runs of the same layer: pair (7, 8) in both (pages 1, 2 then 40), pair
// (7, 9) in the first, pair (300, 7) in the second.
std::vector<build::PairRun> TwoRuns(build::SpillFolder& folder)
{
    const std::uint8_t list[] = {5, 3};
    std::vector<build::PairRun> runs(2);
    std::string error;
    build::PairRunWriter first, second;
    EXPECT_TRUE(first.Create(folder, error)) << error;
    first.BeginPair(std::uint64_t{7} << 32 | 8);
    first.AddRecord(1, list);
    first.AddRecord(2, list);
    EXPECT_TRUE(first.EndPair(error));
    first.BeginPair(std::uint64_t{7} << 32 | 9);
    first.AddRecord(2, list);
    EXPECT_TRUE(first.EndPair(error));
    EXPECT_TRUE(first.Finish(runs[0], error)) << error;
    EXPECT_TRUE(second.Create(folder, error)) << error;
    second.BeginPair(std::uint64_t{7} << 32 | 8);
    second.AddRecord(40, list);
    EXPECT_TRUE(second.EndPair(error));
    second.BeginPair(std::uint64_t{300} << 32 | 7);
    second.AddRecord(41, list);
    EXPECT_TRUE(second.EndPair(error));
    EXPECT_TRUE(second.Finish(runs[1], error)) << error;
    return runs;
}

void Overwrite(const fs::path& path, std::uint64_t offset, std::string_view bytes)
{
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(static_cast<std::streamoff>(offset));
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

TEST(PairRuns, ADamagedRunStopsThePairFileWithAnError)
{
    struct Case {
        const char* what;
        std::function<void(const std::vector<build::PairRun>&)> damage;
    };
    const Case cases[] = {
        {"intact", [](const auto&) {}},
        {"data cut short", [](const auto& runs) { fs::resize_file(runs[1].data, 3); }},
        {"directory cut short", [](const auto& runs) { fs::resize_file(runs[0].directory, 1); }},
        {"a number that never ends", [](const auto& runs) {
             Overwrite(runs[0].directory, 0, std::string(12, '\xFF'));
         }},
        {"second key out of range", [](const auto& runs) {
             Overwrite(runs[1].directory, 0, "\x80\x80\x80\x80\x0F"); // the first pair: (0, 0xF0000000)
         }},
        {"a list longer than its section", [](const auto& runs) {
             Overwrite(runs[1].data, 1, "\x7F"); // the list length of the record of page 40
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        build::SpillFolder folder(dir.path());
        const std::vector<build::PairRun> runs = TwoRuns(folder);
        c.damage(runs);
        build::OutputFile file;
        std::string error;
        ASSERT_TRUE(file.Create(dir / "x.pairs", dir / "x.pairs.partial", error)) << error;
        const bool written = build::WritePairFile("0123456789abcdef", runs, folder, 1 << 20, file, error);
        if (std::string_view(c.what) == "intact") {
            EXPECT_TRUE(written) << error;
            // Three streams: (7, 8) of three records, the others of one;
            // then the key checksums.
            EXPECT_EQ(fs::file_size(dir / "x.pairs.partial"),
                      PairKeyChecksumsOffset(PairEntriesOffset() + 3 * kPairEntrySize + 3 * 8 + 5 * 4) +
                          8 * std::uint64_t{kCharacterSlots});
        } else {
            EXPECT_FALSE(written);
            EXPECT_TRUE(error.find("sorted run") != std::string::npos) << error;
        }
    }
}

} // namespace
} // namespace vesk::test
