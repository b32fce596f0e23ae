#include "engine/page_count_index.h"

#include "datafolder/folder_generation.h"

#include <bit>

namespace vesk {
namespace {

static_assert(std::endian::native == std::endian::little, "the page-count file is read in place as little-endian");

} // namespace

bool ReadPageCountHeader(std::span<const std::uint8_t> bytes, std::uint64_t& keys, std::uint64_t& tableOffset)
{
    if (bytes.size() < kPageCountHeaderSize || std::memcmp(bytes.data(), kPageCountFileMagic, 8) != 0 ||
        PairU32(bytes.data() + 8) != kPageCountFileVersion)
        return false;
    keys = PairU64(bytes.data() + 32);
    tableOffset = PairU64(bytes.data() + 40);
    return tableOffset >= kPageCountHeaderSize && tableOffset % 8 == 0 && tableOffset <= bytes.size() &&
           keys <= (bytes.size() - tableOffset) / kPageCountEntrySize;
}

PageCountEntry PageCountEntryAt(std::span<const std::uint8_t> bytes, std::uint64_t tableOffset, std::uint64_t i)
{
    const std::uint8_t* at = bytes.data() + tableOffset + i * kPageCountEntrySize;
    PageCountEntry entry;
    entry.key = PairU32(at);
    entry.records = PairU32(at + 4);
    entry.length = PairU32(at + 8);
    entry.offset = PairU64(at + 16);
    entry.checksum = PairU64(at + 24);
    return entry;
}

bool DecodePageCounts(std::span<const std::uint8_t> stream, std::uint32_t records, std::vector<std::uint32_t>& pages,
                      std::vector<std::uint32_t>& counts)
{
    // Every record takes two bytes at least: a larger record count is damage,
    // and must not size the arrays.
    if (records > stream.size() / 2)
        return false;
    const std::size_t before = pages.size();
    // Twice the room, left untouched: the arrays of a first term become the
    // results, and the pages an "or" adds to them then fit without copying
    // the results into fresh memory.
    if (pages.capacity() < before + records) {
        pages.reserve(2 * (before + records));
        counts.reserve(2 * (before + records));
    }
    pages.resize(before + records);
    counts.resize(before + records);
    std::uint32_t* outPages = pages.data() + before;
    std::uint32_t* outCounts = counts.data() + before;
    const std::uint8_t* at = stream.data();
    const std::uint8_t* const end = at + stream.size();
    std::uint32_t page = 0;
    bool ok = true;
    for (std::uint32_t r = 0; r < records; ++r) {
        std::uint32_t delta = 0, count = 0;
        if (!ReadPairLeb128Two(at, end, delta, count)) {
            ok = false;
            break;
        }
        if ((r > 0 && delta == 0) || delta > UINT32_MAX - page || count == 0) {
            ok = false;
            break;
        }
        page += delta;
        outPages[r] = page;
        outCounts[r] = count;
    }
    if (!ok || at != end) {
        pages.resize(before);
        counts.resize(before);
        return false;
    }
    return true;
}

bool PageCountsFromPostings(const PostingTables& tables, std::uint32_t key, std::vector<std::uint32_t>& pages,
                            std::vector<std::uint32_t>& counts, ScanFault& fault)
{
    TermPlan plan;
    plan.cursors.push_back({key, 0});
    plan.segments.push_back({0, 1});
    plan.termPositions = 1;
    return ScanTerm(plan, tables, pages, counts, fault, ScanMethod::Fast);
}

bool PostingTablesInPlace(std::span<const std::uint8_t> directory, std::span<const std::uint8_t> data,
                          PostingTables& tables)
{
    constexpr std::uint64_t kTablesSize = 1400000, kLastPagesOffset = 1000000, kKeys = 100000;
    if (directory.size() < kTablesSize || reinterpret_cast<std::uintptr_t>(directory.data()) % 4 != 0)
        return false;
    const auto* words = reinterpret_cast<const std::uint32_t*>(directory.data());
    tables.data = data;
    tables.firstBlocks = {reinterpret_cast<const std::int32_t*>(directory.data()), kKeys};
    tables.lastPages = {words + kLastPagesOffset / 4, kKeys};
    tables.links = {words + kTablesSize / 4, (directory.size() - kTablesSize) / 4};
    tables.skipTables = nullptr;
    return true;
}

bool PageCountIndex::Open(const std::filesystem::path& folder, const std::string& name, std::string_view markerBytes)
{
    Close();
    if (!m_map.Open(folder / name))
        return false;
    const std::span<const std::uint8_t> bytes = m_map.Bytes();
    bool ok = ReadPageCountHeader(bytes, m_nKeys, m_nTableOffset);
    if (ok) {
        const std::string id(reinterpret_cast<const char*>(bytes.data() + kPageCountIdOffset), kPageCountIdSize);
        ok = OptionalFileIsCurrent(folder, markerBytes, name, id);
    }
    if (!ok) {
        Close();
        return false;
    }
    return true;
}

void PageCountIndex::Close()
{
    m_map.Close();
    m_nKeys = 0;
    m_nTableOffset = 0;
}

bool PageCountIndex::FindEntry(std::uint32_t key, PageCountEntry& entry) const
{
    const std::span<const std::uint8_t> bytes = m_map.Bytes();
    std::uint64_t low = 0, high = m_nKeys;
    while (low < high) {
        const std::uint64_t mid = low + (high - low) / 2;
        if (PairU32(bytes.data() + m_nTableOffset + mid * kPageCountEntrySize) < key)
            low = mid + 1;
        else
            high = mid;
    }
    if (low == m_nKeys)
        return false;
    entry = PageCountEntryAt(bytes, m_nTableOffset, low);
    return entry.key == key;
}

bool PageCountIndex::Read(std::uint32_t key, std::uint32_t lastPage, std::vector<std::uint32_t>& pages,
                          std::vector<std::uint32_t>& counts) const
{
    PageCountEntry entry;
    if (!IsOpen() || !FindEntry(key, entry))
        return false;
    const std::span<const std::uint8_t> bytes = m_map.Bytes();
    if (entry.offset > bytes.size() || entry.length > bytes.size() - entry.offset || entry.records == 0)
        return false;
    const std::span<const std::uint8_t> stream = bytes.subspan(entry.offset, entry.length);
    if (PageCountStreamChecksum(key, stream) != entry.checksum)
        return false;
    const std::size_t before = pages.size();
    if (!DecodePageCounts(stream, entry.records, pages, counts))
        return false;
    if (pages.back() != lastPage) {
        pages.resize(before);
        counts.resize(before);
        return false;
    }
    return true;
}

} // namespace vesk
