#include "engine/index_check.h"

#include "engine/index.h"
#include "engine/mapped_file.h"
#include "engine/posting_cursor.h"
#include "engine/term_search.h"
#include "textstore/code_converter.h"
#include "textstore/read_only_file.h"

#include <array>
#include <cstring>
#include <memory>
#include <span>

namespace vesk {
namespace {

constexpr std::uint32_t kLargestPosition = 4194303;

// Most keys have no postings (first block -1): the walk skips runs of such
// keys with one comparison each.
constexpr std::uint32_t kUnusedRun = 64;

// True when the first kUnusedRun entries of firstBlocks are all -1.
bool IsUnusedRun(std::span<const std::int32_t> firstBlocks)
{
    static constexpr auto kUnused = [] {
        std::array<std::int32_t, kUnusedRun> unused{};
        unused.fill(-1);
        return unused;
    }();
    return firstBlocks.size() >= kUnusedRun &&
           std::memcmp(firstBlocks.data(), kUnused.data(), sizeof kUnused) == 0;
}

struct StreamCheck {
    std::string file;
    std::uint32_t key = 0;
    std::vector<std::string>& problems;

    bool Report(std::uint64_t offset, const std::string& what) const
    {
        problems.push_back(file + ": key " + std::to_string(key) + ": offset " + std::to_string(offset) + ": " +
                           what);
        return false;
    }
};

// Reads the positions of the current record: ascending, within the limit.
bool CheckPositions(PostingCursor& cursor, const StreamCheck& check)
{
    std::uint32_t position = 0;
    bool first = true;
    while (cursor.Remaining() > 0) {
        std::uint32_t value = 0;
        if (!cursor.ReadPosition(value))
            return check.Report(cursor.Stream().FaultOffset(), StreamFaultText(cursor.Stream().Fault()));
        if (!first && value == 0)
            return check.Report(cursor.Stream().FileOffset(), "positions not ascending on page " +
                                                                  std::to_string(cursor.Page()));
        position += value;
        first = false;
        if (position > kLargestPosition)
            return check.Report(cursor.Stream().FileOffset(), "position beyond 4194303");
    }
    if (first)
        return check.Report(cursor.Stream().FileOffset(), "empty position list on page " + std::to_string(cursor.Page()));
    return true;
}

bool CheckStream(const PostingTables& tables, std::uint32_t pageCount, const StreamCheck& check)
{
    const std::uint32_t key = check.key;
    PostingCursor cursor(tables.data, tables.links, static_cast<std::uint32_t>(tables.firstBlocks[key]));
    const std::uint32_t lastPage = tables.lastPages[key];
    for (;;) {
        if (!cursor.ReadPageHeader())
            return check.Report(cursor.Stream().FaultOffset(), StreamFaultText(cursor.Stream().Fault()));
        if (cursor.Page() >= pageCount)
            return check.Report(cursor.Stream().FileOffset(),
                                "page " + std::to_string(cursor.Page()) + " beyond the page store");
        if (cursor.Page() > lastPage)
            return check.Report(cursor.Stream().FileOffset(),
                                "stream passes its last page " + std::to_string(lastPage));
        if (!CheckPositions(cursor, check))
            return false;
        if (cursor.Page() == lastPage)
            return true;
    }
}

} // namespace

bool CheckIndexFiles(const std::filesystem::path& folder, std::string_view base, std::uint32_t pageCount,
                     std::vector<std::string>& problems)
{
    const std::size_t before = problems.size();
    const std::string dirName = std::string(base) + "-idx.h";
    const std::string dataName = std::string(base) + "-idx.m";
    ReadOnlyFile dir;
    if (!dir.Open(folder / dirName)) {
        problems.push_back(dirName + ": cannot be opened");
        return false;
    }
    const std::int64_t size = dir.Size();
    if (size < 0 || static_cast<std::uint64_t>(size) < kIndexTablesSize) {
        problems.push_back(dirName + ": " + std::to_string(size) + " bytes, shorter than its key tables");
        return false;
    }
    if ((static_cast<std::uint64_t>(size) - kIndexTablesSize) % 4 != 0)
        problems.push_back(dirName + ": offset " + std::to_string(size) + ": partial block-link entry");
    dir.Close();

    MappedFile data;
    if (!data.Open(folder / dataName)) {
        problems.push_back(dataName + ": cannot be opened");
        return false;
    }
    // Filled by the reads below, so not initialised first (the tables are
    // 800 KB, read again for every check).
    const auto firstBlocks = std::make_unique_for_overwrite<std::int32_t[]>(kIndexKeys);
    const auto lastPages = std::make_unique_for_overwrite<std::uint32_t[]>(kIndexKeys);
    const auto linkCount = static_cast<std::size_t>((static_cast<std::uint64_t>(size) - kIndexTablesSize) / 4);
    const auto links = std::make_unique_for_overwrite<std::uint32_t[]>(linkCount);
    ReadOnlyFile reread;
    if (!reread.Open(folder / dirName) ||
        !reread.ReadAt(0, {reinterpret_cast<std::uint8_t*>(firstBlocks.get()), kIndexKeys * 4}) ||
        !reread.ReadAt(1000000, {reinterpret_cast<std::uint8_t*>(lastPages.get()), kIndexKeys * 4}) ||
        !reread.ReadAt(kIndexTablesSize, {reinterpret_cast<std::uint8_t*>(links.get()), linkCount * 4})) {
        problems.push_back(dirName + ": read error");
        return false;
    }
    const PostingTables tables{data.Bytes(),
                               {firstBlocks.get(), kIndexKeys},
                               {lastPages.get(), kIndexKeys},
                               {links.get(), linkCount}};
    const std::uint64_t blocks = (data.Bytes().size() + kPostingBlockSize - 1) / kPostingBlockSize;
    for (std::uint32_t key = 0; key < kIndexKeys; ++key) {
        if (key % kUnusedRun == 0 && IsUnusedRun({firstBlocks.get() + key, kIndexKeys - key})) {
            key += kUnusedRun - 1;
            continue;
        }
        const std::int32_t first = firstBlocks[key];
        if (first == -1)
            continue;
        const StreamCheck check{dataName, key, problems};
        if (first < -1 || static_cast<std::uint64_t>(first) >= blocks) {
            check.Report(static_cast<std::uint64_t>(key) * 4, "first block " + std::to_string(first) +
                                                                  " outside the posting data (" + dirName + ")");
            continue;
        }
        if (key >= static_cast<std::uint32_t>(kCharacterSlots) && key < kFirstVariantKey) {
            check.Report(static_cast<std::uint64_t>(key) * 4, "postings under an unused key (" + dirName + ")");
            continue;
        }
        CheckStream(tables, pageCount, check);
    }
    return problems.size() == before;
}

} // namespace vesk
