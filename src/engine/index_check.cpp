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

// After the record of the last page, a record of a later page must not
// follow: the builder pads a stream's last block with zeros (which read as a
// page delta of 0, no record) and links nothing after it. A last-page entry
// set too low would otherwise end every search of the key early.
void CheckStreamEnd(const PostingCursor& atEnd, std::uint32_t pageCount, const StreamCheck& check)
{
    PostingCursor next = atEnd;
    const std::uint64_t offset = next.Stream().FileOffset();
    if (!next.ReadPageHeader() || next.Page() >= pageCount || next.Remaining() == 0 || next.CountPositions() == 0)
        return;
    check.Report(offset, "the stream goes on past its last-page entry " + std::to_string(atEnd.Page()) +
                             ": a record of page " + std::to_string(next.Page()) + " follows");
}

// Walks the stream to its last page; lastBlock is then the block it ends in.
bool CheckStream(const PostingTables& tables, std::uint32_t pageCount, const StreamCheck& check,
                 std::uint32_t& lastBlock)
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
        if (cursor.Page() == lastPage) {
            CheckStreamEnd(cursor, pageCount, check);
            lastBlock = cursor.Stream().Block();
            return true;
        }
    }
}

// Which key's stream runs through each block of the posting data: every
// block belongs to exactly one stream, so a first block or a link that leads
// into another key's stream, or a stream cut short by its last-page entry
// (leaving blocks no stream reaches), shows up here.
class BlockOwners {
public:
    explicit BlockOwners(std::size_t blocks) : m_owner(blocks, kNone) {}

    // Marks the chain of a sound stream from first to last; names the first
    // block another key's stream has already passed through.
    void Claim(const PostingTables& tables, std::uint32_t first, std::uint32_t last, const StreamCheck& check)
    {
        std::uint32_t block = first;
        for (std::size_t hops = 0; hops <= m_owner.size() && block < m_owner.size(); ++hops) {
            if (m_owner[block] != kNone && m_owner[block] != check.key) {
                check.Report(std::uint64_t{block} * kPostingBlockSize,
                             "block " + std::to_string(block) + " is also in the stream of key " +
                                 std::to_string(m_owner[block]));
                return;
            }
            m_owner[block] = check.key;
            if (block == last || block >= tables.links.size())
                return;
            block = tables.links[block];
        }
    }

    // Names the blocks no stream passed through.
    void ReportUnclaimed(const std::string& file, std::vector<std::string>& problems) const
    {
        std::size_t count = 0, firstFree = 0;
        for (std::size_t b = 0; b < m_owner.size(); ++b) {
            if (m_owner[b] == kNone && count++ == 0)
                firstFree = b;
        }
        if (count > 0)
            problems.push_back(file + ": offset " + std::to_string(firstFree * kPostingBlockSize) + ": " +
                               std::to_string(count) + " block(s) in no key's stream, the first block " +
                               std::to_string(firstFree));
    }

private:
    static constexpr std::uint32_t kNone = UINT32_MAX;
    std::vector<std::uint32_t> m_owner;
};

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
    BlockOwners owners(static_cast<std::size_t>(blocks));
    bool anyStream = false, streamsWhole = true;
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
            streamsWhole = false;
            continue;
        }
        if (key >= static_cast<std::uint32_t>(kCharacterSlots) && key < kFirstVariantKey) {
            check.Report(static_cast<std::uint64_t>(key) * 4, "postings under an unused key (" + dirName + ")");
            streamsWhole = false;
            continue;
        }
        std::uint32_t lastBlock = 0;
        if (CheckStream(tables, pageCount, check, lastBlock))
            owners.Claim(tables, static_cast<std::uint32_t>(first), lastBlock, check);
        else
            streamsWhole = false;
        anyStream = true;
    }
    // A folder without any postings holds one empty block; blocks are
    // accounted for only when every stream could be walked to its end.
    if (anyStream && streamsWhole)
        owners.ReportUnclaimed(dataName, problems);
    return problems.size() == before;
}

} // namespace vesk
