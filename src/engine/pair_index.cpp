#include "engine/pair_index.h"

#include "datafolder/folder_generation.h"
#include "textstore/code_converter.h"

#include <bit>

namespace vesk {
namespace {

static_assert(std::endian::native == std::endian::little, "the pair file is read in place as little-endian");

constexpr std::uint64_t kFirstTableEntries = static_cast<std::uint64_t>(kCharacterSlots) + 1;

} // namespace

std::uint64_t PairEntriesOffset()
{
    return (kPairHeaderSize + 4 * kFirstTableEntries + 7) / 8 * 8;
}

bool PairIndex::Open(const std::filesystem::path& folder, const std::string& name, std::string_view markerBytes)
{
    Close();
    if (!m_map.Open(folder / name))
        return false;
    const std::span<const std::uint8_t> bytes = m_map.Bytes();
    const std::uint64_t entries = PairEntriesOffset();
    bool ok = bytes.size() >= entries && std::memcmp(bytes.data(), kPairFileMagic, 8) == 0 &&
              PairU32(bytes.data() + 8) == kPairFileVersion && PairU32(bytes.data() + 12) > 0;
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
    return true;
}

void PairIndex::Close()
{
    m_map.Close();
    m_nPairs = 0;
    m_nEntriesOffset = 0;
    m_nStride = 0;
}

bool PairIndex::Find(std::uint32_t keyA, std::uint32_t keyB, PairStream& stream) const
{
    if (!IsOpen() || keyA >= static_cast<std::uint32_t>(kCharacterSlots))
        return false;
    const std::span<const std::uint8_t> bytes = m_map.Bytes();
    const std::uint8_t* first = bytes.data() + kPairHeaderSize;
    std::uint64_t low = PairU32(first + 4 * std::uint64_t{keyA});
    std::uint64_t high = PairU32(first + 4 * (std::uint64_t{keyA} + 1));
    if (low > high || high > m_nPairs)
        return false;
    const std::uint8_t* table = bytes.data() + m_nEntriesOffset;
    while (low < high) {
        const std::uint64_t mid = low + (high - low) / 2;
        if (PairU32(table + mid * kPairEntrySize) < keyB)
            low = mid + 1;
        else
            high = mid;
    }
    if (low == m_nPairs)
        return false;
    const std::uint8_t* entry = table + low * kPairEntrySize;
    if (PairU32(entry) != keyB)
        return false;
    const std::uint64_t length = PairU32(entry + 4);
    const std::uint64_t offset = PairU64(entry + 8);
    if (offset > bytes.size() || length > bytes.size() - offset || length < 8)
        return false;
    const std::span<const std::uint8_t> whole = bytes.subspan(offset, length);
    if (PairStreamChecksum(keyA, keyB, whole) != PairU64(entry + 16))
        return false;
    const std::uint32_t records = PairU32(whole.data());
    const std::uint32_t marks = PairU32(whole.data() + 4);
    if (records == 0 || marks != (records - 1) / m_nStride || std::uint64_t{marks} * 8 > length - 8)
        return false;
    stream.marks = whole.subspan(8, std::uint64_t{marks} * 8);
    stream.records = whole.subspan(8 + std::uint64_t{marks} * 8);
    stream.recordCount = records;
    stream.markStride = m_nStride;
    return true;
}

} // namespace vesk
