#include "builder/pair_file_writer.h"

#include "engine/pair_index.h"
#include "textstore/code_converter.h"

#include <algorithm>
#include <cstring>

namespace vesk::build {
namespace {

constexpr std::size_t kWriteBytes = std::size_t{1} << 20;

void AppendLeb128(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    while (v >= 0x80) {
        out.push_back(static_cast<std::uint8_t>(v | 0x80));
        v >>= 7;
    }
    out.push_back(static_cast<std::uint8_t>(v));
}

void PutU32(std::uint8_t* at, std::uint32_t v)
{
    std::memcpy(at, &v, 4);
}

void PutU64(std::uint8_t* at, std::uint64_t v)
{
    std::memcpy(at, &v, 8);
}

void RemoveRuns(std::span<const PairRun> runs)
{
    for (const PairRun& run : runs) {
        std::error_code ignored; // the spill folder goes at the end anyway
        std::filesystem::remove(run.data, ignored);
        std::filesystem::remove(run.directory, ignored);
    }
}

// Appends bytes to file at offset through a buffer of about kWriteBytes.
class FileAppender {
public:
    FileAppender(OutputFile& file, std::uint64_t offset) : m_file(file), m_offset(offset) {}
    std::vector<std::uint8_t>& pending() { return m_pending; }
    bool FlushIfFull(std::string& error) { return m_pending.size() < kWriteBytes || Flush(error); }
    bool Flush(std::string& error)
    {
        if (!m_file.WriteAt(m_offset, m_pending, error))
            return false;
        m_offset += m_pending.size();
        m_pending.clear();
        return true;
    }

private:
    OutputFile& m_file;
    std::uint64_t m_offset;
    std::vector<std::uint8_t> m_pending;
};

} // namespace

bool WritePairFile(const std::string& generationId, std::vector<PairRun> runs, SpillFolder& folder,
                   std::uint64_t budget, OutputFile& file, std::string& error)
{
    if (generationId.size() != kPairIdSize) {
        error = "generation id \"" + generationId + "\" is not 16 characters";
        return false;
    }
    const std::size_t maxOpen = MaxRunsReadAtOnce(budget, 2);
    while (runs.size() > maxOpen) {
        const std::size_t group = std::min(maxOpen, runs.size() - maxOpen + 1);
        const std::span<const PairRun> first(runs.data(), group);
        PairRun merged;
        if (!MergePairRuns(first, RunReadBufferBytes(budget, 2 * group), folder, merged, error))
            return false;
        RemoveRuns(first);
        runs.erase(runs.begin(), runs.begin() + static_cast<std::ptrdiff_t>(group));
        runs.insert(runs.begin(), merged);
    }
    const std::size_t bufferBytes = RunReadBufferBytes(budget, 2 * runs.size());
    std::uint64_t pairCount = 0;
    if (!CountPairs(runs, bufferBytes, pairCount, error))
        return false;

    const std::uint64_t entriesOffset = PairEntriesOffset();
    const std::uint64_t streamsOffset = entriesOffset + pairCount * kPairEntrySize;
    FileAppender streams(file, streamsOffset), entries(file, entriesOffset);
    const std::size_t keys = static_cast<std::size_t>(kCharacterSlots) + 1;
    std::vector<std::uint32_t> first(keys, 0); // entries of the keys below
    std::size_t firstSet = 0;                   // first[0 .. firstSet) are known
    // The key checksums, each taken over its key's entries as they are
    // written: keys below checksumKey are done, checksumKey's is underway.
    std::vector<std::uint64_t> keyChecksums(keys - 1, 0);
    std::uint32_t checksumKey = 0;
    PairKeyChecksum keyChecksum(0, 0);

    PairRunMerge merge;
    if (!merge.Open(runs, bufferBytes, true, error))
        return false;
    std::vector<std::uint8_t> records;
    std::vector<std::uint32_t> marks; // page, offset of every kPairMarkStride-th record after the first
    std::uint64_t pair = 0, entry = 0, offset = streamsOffset;
    // Ends the lists of the keys below key at the present entry.
    const auto finishKeysBelow = [&](std::uint32_t key) {
        for (; checksumKey < key; ++checksumKey) {
            keyChecksums[checksumKey] = keyChecksum.Finish(entry);
            keyChecksum = PairKeyChecksum(checksumKey + 1, entry);
        }
    };
    while (merge.Next(pair, error)) {
        const auto keyA = static_cast<std::uint32_t>(pair >> 32);
        const auto keyB = static_cast<std::uint32_t>(pair);
        records.clear();
        marks.clear();
        std::uint32_t recordCount = 0, lastPage = 0;
        const bool read = merge.ForEachRecord(
            [&](std::uint32_t page, std::span<const std::uint8_t> list) {
                const bool restart = recordCount % kPairMarkStride == 0;
                if (restart && recordCount > 0) {
                    marks.push_back(page);
                    marks.push_back(static_cast<std::uint32_t>(records.size()));
                }
                AppendLeb128(records, restart ? page : page - lastPage);
                AppendLeb128(records, static_cast<std::uint32_t>(list.size()));
                records.insert(records.end(), list.begin(), list.end());
                lastPage = page;
                ++recordCount;
                return true;
            },
            error);
        if (!read)
            return false;
        const std::uint64_t length = 8 + marks.size() * 4 + records.size();
        if (length > 0xFFFFFFFF) {
            error = "the pair stream of keys " + std::to_string(keyA) + " and " + std::to_string(keyB) +
                    " passes 4 GiB";
            return false;
        }
        if (entry == pairCount || keyA >= keys - 1) {
            error = "the sorted pair runs disagree with their directories";
            return false;
        }

        std::vector<std::uint8_t>& out = streams.pending();
        const std::size_t start = out.size();
        out.resize(start + 8 + marks.size() * 4);
        PutU32(out.data() + start, recordCount);
        PutU32(out.data() + start + 4, static_cast<std::uint32_t>(marks.size() / 2));
        if (!marks.empty())
            std::memcpy(out.data() + start + 8, marks.data(), marks.size() * 4);
        out.insert(out.end(), records.begin(), records.end());
        const std::uint64_t checksum =
            PairStreamChecksum(keyA, keyB, std::span<const std::uint8_t>(out.data() + start, length));

        std::uint8_t e[kPairEntrySize];
        PutU32(e, keyB);
        PutU32(e + 4, static_cast<std::uint32_t>(length));
        PutU64(e + 8, offset);
        PutU64(e + 16, checksum);
        entries.pending().insert(entries.pending().end(), e, e + kPairEntrySize);
        finishKeysBelow(keyA);
        keyChecksum.Add(e);
        for (; firstSet <= keyA; ++firstSet)
            first[firstSet] = static_cast<std::uint32_t>(entry);
        offset += length;
        ++entry;
        if (!streams.FlushIfFull(error) || !entries.FlushIfFull(error))
            return false;
    }
    if (!error.empty())
        return false;
    if (entry != pairCount) {
        error = "the sorted pair runs disagree with their directories";
        return false;
    }
    for (; firstSet < keys; ++firstSet)
        first[firstSet] = static_cast<std::uint32_t>(entry);
    finishKeysBelow(static_cast<std::uint32_t>(keys - 1));
    if (!streams.Flush(error) || !entries.Flush(error))
        return false;
    const std::uint64_t checksumsOffset = PairKeyChecksumsOffset(offset);
    std::vector<std::uint8_t> tail(checksumsOffset - offset + keyChecksums.size() * 8, 0);
    std::memcpy(tail.data() + (checksumsOffset - offset), keyChecksums.data(), keyChecksums.size() * 8);
    if (!file.WriteAt(offset, tail, error))
        return false;

    std::vector<std::uint8_t> head(entriesOffset, 0);
    std::memcpy(head.data(), kPairFileMagic, 8);
    PutU32(head.data() + 8, kPairFileVersion);
    PutU32(head.data() + 12, kPairMarkStride);
    std::memcpy(head.data() + kPairIdOffset, generationId.data(), kPairIdSize);
    PutU64(head.data() + kPairKeyChecksumsField, checksumsOffset);
    PutU64(head.data() + 48, pairCount);
    std::memcpy(head.data() + kPairHeaderSize, first.data(), keys * 4);
    if (!file.WriteAt(0, head, error))
        return false;
    RemoveRuns(runs);
    return true;
}

} // namespace vesk::build
