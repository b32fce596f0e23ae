#include "engine/pair_index_check.h"

#include "datafolder/folder_generation.h"
#include "engine/pair_index.h"
#include "textstore/code_converter.h"

#include <cstring>

namespace vesk {
namespace {

constexpr std::uint32_t kLargestPosition = 4194303;

// A position list: numbers that fit it, ascending, within the limit, at least one.
const char* CheckList(const std::uint8_t* at, const std::uint8_t* end)
{
    std::uint32_t position = 0;
    bool first = true;
    while (at < end) {
        const std::uint32_t b0 = *at;
        const std::uint32_t length = b0 < 0x80 ? 1 : b0 < 0xC0 ? 2 : 3;
        if (length > static_cast<std::size_t>(end - at))
            return "a position runs past its list";
        std::uint32_t value = b0;
        if (length == 2)
            value = (b0 & 0x3F) << 8 | at[1];
        else if (length == 3)
            value = (b0 & 0x3F) << 16 | std::uint32_t{at[1]} << 8 | at[2];
        if (!first && value == 0)
            return "positions not ascending";
        position += value;
        if (position > kLargestPosition)
            return "position beyond 4194303";
        first = false;
        at += length;
    }
    return first ? "empty position list" : nullptr;
}

// The records and marks of one stream; an empty string when sound.
std::string CheckStream(std::span<const std::uint8_t> stream, std::uint32_t stride, std::uint32_t pageCount)
{
    const std::uint32_t records = PairU32(stream.data());
    const std::uint32_t marks = PairU32(stream.data() + 4);
    if (records == 0 || marks != (records - 1) / stride || std::uint64_t{marks} * 8 > stream.size() - 8)
        return "record or mark count does not fit";
    const std::uint8_t* markBytes = stream.data() + 8;
    const std::uint8_t* begin = markBytes + std::uint64_t{marks} * 8;
    const std::uint8_t* at = begin;
    const std::uint8_t* end = stream.data() + stream.size();
    std::uint32_t page = 0;
    for (std::uint32_t r = 0; r < records; ++r) {
        const bool restart = r % stride == 0;
        if (restart && r > 0 &&
            (PairU32(markBytes + 8 * (r / stride - 1) + 4) != static_cast<std::uint32_t>(at - begin)))
            return "mark " + std::to_string(r / stride) + " names another offset";
        std::uint32_t delta = 0, length = 0;
        if (!ReadPairLeb128(at, end, delta) || !ReadPairLeb128(at, end, length) ||
            length > static_cast<std::size_t>(end - at))
            return "record " + std::to_string(r) + " runs past the stream";
        const std::uint32_t base = restart ? 0 : page;
        if (base > UINT32_MAX - delta || (r > 0 && base + delta <= page) || base + delta >= pageCount)
            return "record " + std::to_string(r) + ": page not ascending or beyond the page store";
        page = base + delta;
        if (restart && r > 0 && PairU32(markBytes + 8 * (r / stride - 1)) != page)
            return "mark " + std::to_string(r / stride) + " names another page";
        if (const char* problem = CheckList(at, at + length))
            return "record " + std::to_string(r) + ": " + problem;
        at += length;
    }
    return at == end ? std::string() : "bytes after the last record";
}

} // namespace

bool CheckPairFile(const std::filesystem::path& folder, std::string_view base, std::uint32_t pageCount,
                   std::vector<std::string>& problems, std::vector<std::string>& notes)
{
    const std::filesystem::path path = folder / (std::string(base) + std::string(kPairFileSuffix));
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        return true;
    const std::string name = path.filename().string();
    const std::size_t before = problems.size();
    MappedFile map;
    if (!map.Open(path)) {
        problems.push_back(name + ": cannot be read");
        return false;
    }
    const std::span<const std::uint8_t> bytes = map.Bytes();
    const std::uint64_t entriesOffset = PairEntriesOffset();
    const std::uint32_t version = bytes.size() >= entriesOffset ? PairU32(bytes.data() + 8) : 0;
    if (bytes.size() < entriesOffset || std::memcmp(bytes.data(), kPairFileMagic, 8) != 0 ||
        (version != kPairFileVersion && version != kPairFileVersionWithoutKeyChecksums) ||
        PairU32(bytes.data() + 12) == 0) {
        problems.push_back(name + ": not a pair file of version " + std::to_string(kPairFileVersionWithoutKeyChecksums) +
                           " or " + std::to_string(kPairFileVersion));
        return false;
    }
    const std::string id(reinterpret_cast<const char*>(bytes.data() + kPairIdOffset), kPairIdSize);
    if (!OptionalFileIsCurrent(folder, name, id)) {
        notes.push_back(name + ": not of this build (the folder's generation marker does not list it with "
                               "its id); searches ignore it");
        return true;
    }
    const std::uint32_t stride = PairU32(bytes.data() + 12);
    const std::uint64_t pairs = PairU64(bytes.data() + 48);
    if (pairs > (bytes.size() - entriesOffset) / kPairEntrySize) {
        problems.push_back(name + ": more pairs than the file holds");
        return false;
    }
    const std::uint64_t checksumsOffset = PairU64(bytes.data() + kPairKeyChecksumsField);
    if (version == kPairFileVersion && (!PairKeyChecksumsFit(checksumsOffset, pairs, bytes.size()) ||
                                        bytes.size() - checksumsOffset != 8 * std::uint64_t{kCharacterSlots})) {
        problems.push_back(name + ": the key checksum table does not end the file (its offset in the header is "
                                  "damaged)");
        return false;
    }
    if (version == kPairFileVersionWithoutKeyChecksums)
        notes.push_back(name + ": version 1, without key checksums: phrases searched with variants do not use it "
                               "(a new build writes version 2)");
    const std::uint8_t* first = bytes.data() + kPairHeaderSize;
    const std::uint8_t* entries = bytes.data() + entriesOffset;
    const auto keys = static_cast<std::uint32_t>(kCharacterSlots);
    if (PairU32(first) != 0 || PairU32(first + 4 * std::uint64_t{keys}) != pairs) {
        problems.push_back(name + ": the first table does not span the entries");
        return false;
    }
    for (std::uint32_t a = 0; a < keys; ++a) {
        const std::uint32_t low = PairU32(first + 4 * std::uint64_t{a}), high = PairU32(first + 4 * (std::uint64_t{a} + 1));
        if (low > high || high > pairs) {
            problems.push_back(name + ": first table entry " + std::to_string(a) + " out of order");
            return false;
        }
        if (version == kPairFileVersion && problems.size() < before + 20) {
            PairKeyChecksum checksum(a, low);
            checksum.Add(bytes.subspan(entriesOffset + std::uint64_t{low} * kPairEntrySize,
                                       std::uint64_t{high - low} * kPairEntrySize));
            if (checksum.Finish(high) != PairU64(bytes.data() + checksumsOffset + 8 * std::uint64_t{a}))
                problems.push_back(name + ": key checksum of first key " + std::to_string(a) +
                                   " does not match (its entries, its first table entries or the checksum "
                                   "table are damaged)");
        }
        for (std::uint32_t e = low; e < high && problems.size() < before + 20; ++e) {
            const std::uint8_t* entry = entries + std::uint64_t{e} * kPairEntrySize;
            const std::uint32_t b = PairU32(entry);
            const std::string where = name + ": pair " + std::to_string(a) + "," + std::to_string(b) + ": ";
            if (b >= keys || (e > low && PairU32(entry - kPairEntrySize) >= b)) {
                problems.push_back(where + "second key out of order or range");
                continue;
            }
            const std::uint64_t length = PairU32(entry + 4), offset = PairU64(entry + 8);
            if (offset > bytes.size() || length > bytes.size() - offset || length < 8) {
                problems.push_back(where + "stream outside the file");
                continue;
            }
            const std::span<const std::uint8_t> stream = bytes.subspan(offset, length);
            if (PairStreamChecksum(a, b, stream) != PairU64(entry + 16)) {
                problems.push_back(where + "checksum does not match");
                continue;
            }
            const std::string problem = CheckStream(stream, stride, pageCount);
            if (!problem.empty())
                problems.push_back(where + problem);
        }
    }
    return problems.size() == before;
}

} // namespace vesk
