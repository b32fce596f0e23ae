#include "engine/pair_index.h"

#include "datafolder/folder_generation.h"
#include "textstore/code_converter.h"

#include <bit>
#include <vector>

namespace vesk {
namespace {

static_assert(std::endian::native == std::endian::little, "the pair file is read in place as little-endian");

constexpr std::uint64_t kFirstTableEntries = static_cast<std::uint64_t>(kCharacterSlots) + 1;

} // namespace

std::uint64_t PairEntriesOffset()
{
    return (kPairHeaderSize + 4 * kFirstTableEntries + 7) / 8 * 8;
}

std::uint64_t PairKeyChecksumsOffset(std::uint64_t streamsEnd)
{
    return (streamsEnd + 7) / 8 * 8;
}

bool PairKeyChecksumsFit(std::uint64_t offset, std::uint64_t pairs, std::uint64_t size)
{
    const std::uint64_t tableBytes = 8 * static_cast<std::uint64_t>(kCharacterSlots);
    const std::uint64_t entriesEnd = PairEntriesOffset() + pairs * kPairEntrySize; // pairs fit the file
    return offset % 8 == 0 && offset >= entriesEnd && offset <= size && tableBytes <= size - offset;
}

bool PairIndex::Open(const std::filesystem::path& folder, const std::string& name, std::string_view markerBytes)
{
    Close();
    if (!m_map.Open(folder / name))
        return false;
    const std::span<const std::uint8_t> bytes = m_map.Bytes();
    const std::uint64_t entries = PairEntriesOffset();
    const std::uint32_t version = bytes.size() >= entries ? PairU32(bytes.data() + 8) : 0;
    bool ok = bytes.size() >= entries && std::memcmp(bytes.data(), kPairFileMagic, 8) == 0 &&
              (version == kPairFileVersion || version == kPairFileVersionWithoutKeyChecksums) &&
              PairU32(bytes.data() + 12) > 0;
    if (ok) {
        const std::string id(reinterpret_cast<const char*>(bytes.data() + kPairIdOffset), kPairIdSize);
        m_nPairs = PairU64(bytes.data() + 48);
        ok = m_nPairs <= (bytes.size() - entries) / kPairEntrySize && OptionalFileIsCurrent(folder, markerBytes, name, id);
    }
    if (!ok) {
        Close();
        return false;
    }
    m_nEntriesOffset = entries;
    m_nStride = PairU32(bytes.data() + 12);
    // A table that does not fit is damage: the file still serves plain
    // phrases (each stream checks itself) but vouches for no absent pair.
    const std::uint64_t checksums = PairU64(bytes.data() + kPairKeyChecksumsField);
    if (version == kPairFileVersion && PairKeyChecksumsFit(checksums, m_nPairs, bytes.size()))
        m_nKeyChecksumsOffset = checksums;
    return true;
}

void PairIndex::Close()
{
    m_map.Close();
    m_nPairs = 0;
    m_nEntriesOffset = 0;
    m_nKeyChecksumsOffset = 0;
    m_nStride = 0;
}

bool PairIndex::KeyListIsSound(std::uint32_t keyA) const
{
    if (!IsOpen() || !HasKeyChecksums() || keyA >= static_cast<std::uint32_t>(kCharacterSlots))
        return false;
    const std::span<const std::uint8_t> bytes = m_map.Bytes();
    const std::uint8_t* first = bytes.data() + kPairHeaderSize;
    const std::uint64_t low = PairU32(first + 4 * std::uint64_t{keyA});
    const std::uint64_t high = PairU32(first + 4 * (std::uint64_t{keyA} + 1));
    if (low > high || high > m_nPairs)
        return false;
    PairKeyChecksum checksum(keyA, low);
    checksum.Add(bytes.subspan(m_nEntriesOffset + low * kPairEntrySize, (high - low) * kPairEntrySize));
    return checksum.Finish(high) == PairU64(bytes.data() + m_nKeyChecksumsOffset + 8 * std::uint64_t{keyA});
}

PairIndex::PairLookup PairIndex::Locate(std::uint32_t keyA, std::uint32_t keyB, LocatedStream& located) const
{
    if (!IsOpen())
        return PairLookup::Damaged;
    if (keyA >= static_cast<std::uint32_t>(kCharacterSlots))
        return PairLookup::Absent;
    const std::span<const std::uint8_t> bytes = m_map.Bytes();
    const std::uint8_t* first = bytes.data() + kPairHeaderSize;
    std::uint64_t low = PairU32(first + 4 * std::uint64_t{keyA});
    std::uint64_t high = PairU32(first + 4 * (std::uint64_t{keyA} + 1));
    if (low > high || high > m_nPairs)
        return PairLookup::Damaged;
    const std::uint64_t end = high; // one past the entries of first key keyA
    const std::uint8_t* table = bytes.data() + m_nEntriesOffset;
    while (low < high) {
        const std::uint64_t mid = low + (high - low) / 2;
        if (PairU32(table + mid * kPairEntrySize) < keyB)
            low = mid + 1;
        else
            high = mid;
    }
    if (low == end)
        return PairLookup::Absent;
    const std::uint8_t* entry = table + low * kPairEntrySize;
    if (PairU32(entry) != keyB)
        return PairLookup::Absent;
    const std::uint64_t length = PairU32(entry + 4);
    const std::uint64_t offset = PairU64(entry + 8);
    if (offset > bytes.size() || length > bytes.size() - offset || length < 8)
        return PairLookup::Damaged;
    located.input = {keyA, keyB, bytes.subspan(offset, length)};
    located.checksum = PairU64(entry + 16);
    return PairLookup::Found;
}

PairIndex::PairLookup PairIndex::Unpack(const LocatedStream& located, PairStream& stream) const
{
    const std::span<const std::uint8_t> whole = located.input.bytes;
    const std::uint64_t length = whole.size();
    const std::uint32_t records = PairU32(whole.data());
    const std::uint32_t marks = PairU32(whole.data() + 4);
    if (records == 0 || marks != (records - 1) / m_nStride || std::uint64_t{marks} * 8 > length - 8)
        return PairLookup::Damaged;
    stream.marks = whole.subspan(8, std::uint64_t{marks} * 8);
    stream.records = whole.subspan(8 + std::uint64_t{marks} * 8);
    stream.recordCount = records;
    stream.markStride = m_nStride;
    return PairLookup::Found;
}

PairIndex::PairLookup PairIndex::Lookup(std::uint32_t keyA, std::uint32_t keyB, PairStream& stream) const
{
    LocatedStream located;
    const PairLookup found = Locate(keyA, keyB, located);
    if (found != PairLookup::Found)
        return found;
    const PairChecksumInput& in = located.input;
    if (PairStreamChecksum(in.keyA, in.keyB, in.bytes) != located.checksum)
        return PairLookup::Damaged;
    return Unpack(located, stream);
}

bool PairIndex::FindAll(std::span<const PairKeys> keys, std::span<PairStream> streams) const
{
    if (keys.size() != streams.size())
        return false;
    std::vector<LocatedStream> located(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (Locate(keys[i].keyA, keys[i].keyB, located[i]) != PairLookup::Found)
            return false;
    }
    std::size_t i = 0;
    for (; i + 1 < located.size(); i += 2) {
        std::uint64_t first = 0;
        std::uint64_t second = 0;
        PairStreamChecksumsOfTwo(located[i].input, located[i + 1].input, first, second);
        if (first != located[i].checksum || second != located[i + 1].checksum)
            return false;
    }
    if (i < located.size()) {
        const PairChecksumInput& in = located[i].input;
        if (PairStreamChecksum(in.keyA, in.keyB, in.bytes) != located[i].checksum)
            return false;
    }
    for (std::size_t k = 0; k < located.size(); ++k) {
        if (Unpack(located[k], streams[k]) != PairLookup::Found)
            return false;
    }
    return true;
}

} // namespace vesk
