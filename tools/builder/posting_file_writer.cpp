#include "builder/posting_file_writer.h"

#include "builder/variant_groups.h"

#include <algorithm>
#include <limits>

namespace vesk::build {
namespace {

constexpr std::size_t kFirstBlockTable = 0;
constexpr std::size_t kPageCountTable = 400000;
constexpr std::size_t kOccurrenceTable = 600000;
constexpr std::size_t kLastPageTable = 1000000;
constexpr std::size_t kBlockLinkTable = 1400000;

void PutU16(std::vector<std::uint8_t>& out, std::size_t at, std::uint16_t v)
{
    out[at] = static_cast<std::uint8_t>(v);
    out[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void PutU32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v)
{
    for (int k = 0; k < 4; ++k)
        out[at + static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(v >> (8 * k));
}

std::uint32_t BlocksOf(const KeyStream& stream)
{
    return static_cast<std::uint32_t>((stream.bytes.size() + kBlockSize - 1) / kBlockSize);
}

// The block numbers of every stream, in stream order, flattened: the blocks of
// key k are chain[start[k]] .. chain[start[k + 1] - 1].
struct BlockPlan {
    std::vector<std::size_t> start;
    std::vector<std::uint32_t> chain;
};

BlockPlan PlanBlocks(const std::vector<KeyStream>& streams, BlockLayout layout)
{
    BlockPlan plan;
    plan.start.resize(streams.size() + 1, 0);
    std::uint32_t maxBlocks = 0;
    for (std::size_t k = 0; k < streams.size(); ++k) {
        plan.start[k + 1] = plan.start[k] + BlocksOf(streams[k]);
        maxBlocks = std::max(maxBlocks, BlocksOf(streams[k]));
    }
    plan.chain.resize(plan.start.back());
    std::uint32_t next = 0;
    if (layout == BlockLayout::contiguous) {
        for (std::uint32_t& block : plan.chain)
            block = next++;
        return plan;
    }
    for (std::uint32_t round = 0; round < maxBlocks; ++round)
        for (std::size_t k = 0; k < streams.size(); ++k)
            if (round < BlocksOf(streams[k]))
                plan.chain[plan.start[k] + round] = next++;
    return plan;
}

} // namespace

bool WritePostingFiles(const std::vector<KeyStream>& streams, BlockLayout layout,
                       OutputFile& directory, OutputFile& data, std::string& error)
{
    const BlockPlan plan = PlanBlocks(streams, layout);
    if (plan.chain.size() >= std::numeric_limits<std::uint32_t>::max() / 4) {
        error = data.finalPath().string() + ": too many blocks";
        return false;
    }
    const std::size_t blockCount = std::max<std::size_t>(plan.chain.size(), 1);
    std::vector<std::uint8_t> dir(kBlockLinkTable + 4 * blockCount, 0);
    if (plan.chain.empty())
        PutU32(dir, kBlockLinkTable, kNoNextBlock);

    for (std::size_t k = 0; k < streams.size(); ++k) {
        const KeyStream& stream = streams[k];
        const std::size_t first = plan.start[k], last = plan.start[k + 1];
        PutU32(dir, kFirstBlockTable + 4 * k,
               first == last ? 0xFFFFFFFF : plan.chain[first]);
        PutU16(dir, kPageCountTable + 2 * k,
               static_cast<std::uint16_t>(std::min<std::uint32_t>(stream.pages, 0xFFFF)));
        PutU32(dir, kOccurrenceTable + 4 * k, stream.occurrences);
        PutU32(dir, kLastPageTable + 4 * k, stream.lastPage);
        for (std::size_t b = first; b < last; ++b) {
            const std::uint32_t block = plan.chain[b];
            PutU32(dir, kBlockLinkTable + 4 * std::size_t{block},
                   b + 1 < last ? plan.chain[b + 1] : kNoNextBlock);
        }
        if (first == last)
            continue;
        if (layout == BlockLayout::contiguous) {
            if (!data.WriteAt(std::uint64_t{plan.chain[first]} * kBlockSize, stream.bytes, error))
                return false;
            continue;
        }
        for (std::size_t b = first; b < last; ++b) {
            const std::size_t offset = (b - first) * kBlockSize;
            const std::size_t n = std::min<std::size_t>(kBlockSize, stream.bytes.size() - offset);
            if (!data.WriteAt(std::uint64_t{plan.chain[b]} * kBlockSize,
                              std::span(stream.bytes).subspan(offset, n), error))
                return false;
        }
    }
    return data.Resize(std::uint64_t{blockCount} * kBlockSize, error) &&
           directory.Append(dir, error);
}

} // namespace vesk::build
