#include "builder/page_count_file.h"

#include "engine/page_count_index.h"
#include "engine/mapped_file.h"
#include "fileio/folder_lock.h"

#include <cstring>
#include <sys/mman.h>
#include <vector>

namespace vesk::build {
namespace {

// The posting data walked since the mapping was last let go of, at most:
// then its pages are dropped from the process (they stay in the page cache),
// so that walking a layer of any size holds no more than this of it.
constexpr std::uint64_t kMappedBytesHeld = std::uint64_t{64} << 20;

void AppendLeb128(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    while (v >= 0x80) {
        out.push_back(static_cast<std::uint8_t>(v | 0x80));
        v >>= 7;
    }
    out.push_back(static_cast<std::uint8_t>(v));
}

void PutU32(std::uint8_t* at, std::uint32_t v) { std::memcpy(at, &v, 4); }
void PutU64(std::uint8_t* at, std::uint64_t v) { std::memcpy(at, &v, 8); }

void ReleaseMapping(std::span<const std::uint8_t> bytes)
{
    if (!bytes.empty())
        ::madvise(const_cast<std::uint8_t*>(bytes.data()), bytes.size(), MADV_DONTNEED);
}

} // namespace

bool WritePageCountFile(const std::filesystem::path& directoryPath, const std::filesystem::path& dataPath,
                        const std::string& generationId, OutputFile& file, std::size_t& leftOut,
                        std::string& error)
{
    leftOut = 0;
    if (generationId.size() != kPageCountIdSize) {
        error = file.finalPath().string() + ": no generation id to record";
        return false;
    }
    MappedFile directory, data;
    PostingTables tables;
    if (!directory.Open(directoryPath)) {
        error = directoryPath.string() + ": cannot be mapped";
        return false;
    }
    if (!data.Open(dataPath)) {
        error = dataPath.string() + ": cannot be mapped";
        return false;
    }
    if (!PostingTablesInPlace(directory.Bytes(), data.Bytes(), tables)) {
        error = directoryPath.string() + ": shorter than its key tables";
        return false;
    }
    const std::span<const std::int32_t> firstBlocks = tables.firstBlocks;

    if (!file.Append(std::vector<std::uint8_t>(kPageCountHeaderSize, 0), error))
        return false;
    std::uint64_t offset = kPageCountHeaderSize;
    std::vector<std::uint8_t> table, stream;
    std::vector<std::uint32_t> pages, counts;
    std::uint64_t walked = 0;
    for (std::uint32_t key = 0; key < firstBlocks.size(); ++key) {
        if (firstBlocks[key] < 0)
            continue;
        pages.clear();
        counts.clear();
        ScanFault fault;
        const bool read = PageCountsFromPostings(tables, key, pages, counts, fault);
        // A stream's bytes: at most three per position number and five per
        // record header.
        for (const std::uint32_t count : counts)
            walked += 3 * std::uint64_t{count} + 5;
        if (walked > kMappedBytesHeld) {
            ReleaseMapping(data.Bytes());
            walked = 0;
        }
        if (!read || pages.empty()) {
            ++leftOut;
            continue;
        }
        stream.clear();
        std::uint32_t page = 0;
        for (std::size_t r = 0; r < pages.size(); ++r) {
            AppendLeb128(stream, pages[r] - page);
            AppendLeb128(stream, counts[r]);
            page = pages[r];
        }
        if (stream.size() > UINT32_MAX || pages.size() > UINT32_MAX) {
            error = file.finalPath().string() + ": the stream of key " + std::to_string(key) + " is too long";
            return false;
        }
        if (!file.Append(stream, error))
            return false;
        std::uint8_t entry[kPageCountEntrySize] = {};
        PutU32(entry, key);
        PutU32(entry + 4, static_cast<std::uint32_t>(pages.size()));
        PutU32(entry + 8, static_cast<std::uint32_t>(stream.size()));
        PutU64(entry + 16, offset);
        PutU64(entry + 24, PageCountStreamChecksum(key, stream));
        table.insert(table.end(), entry, entry + kPageCountEntrySize);
        offset += stream.size();
    }
    ReleaseMapping(data.Bytes());
    const std::uint64_t tableOffset = (offset + 7) / 8 * 8;
    if (!file.Append(std::vector<std::uint8_t>(tableOffset - offset, 0), error) || !file.Append(table, error))
        return false;
    std::uint8_t header[kPageCountHeaderSize] = {};
    std::memcpy(header, kPageCountFileMagic, 8);
    PutU32(header + 8, kPageCountFileVersion);
    std::memcpy(header + kPageCountIdOffset, generationId.data(), kPageCountIdSize);
    PutU64(header + 32, table.size() / kPageCountEntrySize);
    PutU64(header + 40, tableOffset);
    return file.WriteAt(0, header, error);
}

bool WritePageCountFiles(const DataFolderSwitch& change, std::span<OutputFile> outputs, std::string& error)
{
    for (std::size_t i = 0; i < std::size(kPageCountLayers); ++i) {
        const std::string base(kPageCountLayers[i]);
        std::size_t leftOut = 0;
        if (!WritePageCountFile(change.TemporaryPath(base + "-idx.h"), change.TemporaryPath(base + "-idx.m"),
                                change.Id(), outputs[i], leftOut, error))
            return false;
        if (leftOut > 0) {
            error = outputs[i].finalPath().string() + ": " + std::to_string(leftOut) +
                    " posting streams just written cannot be read";
            return false;
        }
    }
    return true;
}

bool AddPageCountFiles(const std::filesystem::path& folder, std::size_t& leftOut, std::string& error)
{
    leftOut = 0;
    fileio::FolderLock lock;
    DataFolderSwitch change;
    if (!lock.Acquire(folder, error) || !change.PrepareAddition(folder, error))
        return false;
    std::vector<std::string> names;
    OutputFile outputs[std::size(kPageCountLayers)];
    for (std::size_t i = 0; i < std::size(kPageCountLayers); ++i) {
        const std::string base(kPageCountLayers[i]);
        names.push_back(base + std::string(kPageCountFileSuffix));
        std::size_t left = 0;
        if (!outputs[i].Create(folder / names.back(), change.TemporaryPath(names.back()), error) ||
            !WritePageCountFile(folder / (base + "-idx.h"), folder / (base + "-idx.m"), change.Id(), outputs[i],
                                left, error) ||
            !outputs[i].Close(error))
            return false;
        leftOut += left;
    }
    if (!change.Switch(names, error))
        return false;
    for (OutputFile& output : outputs)
        output.MarkSwitched();
    return true;
}

} // namespace vesk::build
