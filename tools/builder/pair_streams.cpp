#include "builder/pair_streams.h"

#include "builder/varint.h"
#include "textstore/code_converter.h"

#include <algorithm>
#include <cstring>
#include <tuple>

namespace vesk::build {
namespace {

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

} // namespace

void CountPairsByFirstKey(std::span<const KeyPosition> positions, std::vector<std::uint64_t>& counts)
{
    for (std::size_t i = 0; i + 1 < positions.size(); ++i)
        if (positions[i + 1].position == positions[i].position + 1 && positions[i].key < counts.size())
            ++counts[positions[i].key];
}

void PairStreams::SetFirstKeys(std::uint32_t lo, std::uint32_t hi)
{
    m_firstLo = lo;
    m_firstHi = hi;
}

void PairStreams::Reserve(std::size_t places)
{
    m_held.reserve(places);
}

void PairStreams::AddPage(std::uint32_t pageId, std::span<const KeyPosition> positions)
{
    for (std::size_t i = 0; i + 1 < positions.size(); ++i) {
        if (positions[i + 1].position != positions[i].position + 1)
            continue;
        if (positions[i].key < m_firstLo || positions[i].key >= m_firstHi)
            continue;
        const std::uint64_t pair = std::uint64_t{positions[i].key} << 32 | positions[i + 1].key;
        m_held.push_back({pair, pageId, positions[i].position});
    }
}

bool PairStreams::Spill(RunWriter& run, std::vector<PairEntry>& entries, std::string& error)
{
    // By pair, then page and position (no two places are the same), sorted
    // in place: no second buffer beside the places.
    std::ranges::sort(m_held, [](const Place& a, const Place& b) {
        return std::tie(a.pair, a.page, a.position) < std::tie(b.pair, b.page, b.position);
    });

    std::vector<std::uint8_t> records, bytes;
    std::vector<std::uint32_t> marks; // page, offset of every kPairMarkStride-th record after the first
    std::size_t at = 0;
    while (at < m_held.size()) {
        const std::uint64_t pair = m_held[at].pair;
        records.clear();
        marks.clear();
        std::uint32_t recordCount = 0, lastPage = 0;
        while (at < m_held.size() && m_held[at].pair == pair) {
            const std::uint32_t page = m_held[at].page;
            const bool restart = recordCount % kPairMarkStride == 0;
            if (restart && recordCount > 0) {
                marks.push_back(page);
                marks.push_back(static_cast<std::uint32_t>(records.size()));
            }
            m_listBytes.clear();
            std::uint32_t previous = 0;
            for (; at < m_held.size() && m_held[at].pair == pair && m_held[at].page == page; ++at) {
                AppendVarint(m_listBytes, m_held[at].position - previous); // positions are at most kMaxVarint
                previous = m_held[at].position;
            }
            AppendLeb128(records, restart ? page : page - lastPage);
            AppendLeb128(records, static_cast<std::uint32_t>(m_listBytes.size()));
            records.insert(records.end(), m_listBytes.begin(), m_listBytes.end());
            lastPage = page;
            ++recordCount;
        }
        bytes.assign(8 + marks.size() * 4, 0);
        PutU32(bytes.data(), recordCount);
        PutU32(bytes.data() + 4, static_cast<std::uint32_t>(marks.size() / 2));
        if (!marks.empty())
            std::memcpy(bytes.data() + 8, marks.data(), marks.size() * 4);
        bytes.insert(bytes.end(), records.begin(), records.end());
        const auto keyA = static_cast<std::uint32_t>(pair >> 32);
        const auto keyB = static_cast<std::uint32_t>(pair);
        if (bytes.size() > 0xFFFFFFFF) {
            error = "the pair stream of keys " + std::to_string(keyA) + " and " + std::to_string(keyB) +
                    " passes 4 GiB";
            return false;
        }
        if (!run.BeginSegment(0, bytes.size(), error) || !run.Write(bytes, error))
            return false;
        entries.push_back({pair, PairStreamChecksum(keyA, keyB, bytes), static_cast<std::uint32_t>(bytes.size())});
    }
    m_held = {};
    return true;
}

bool WritePairFile(const std::string& generationId, std::span<const PairEntry> entries,
                   std::span<const std::filesystem::path> runs, OutputFile& file, std::string& error)
{
    if (generationId.size() != kPairIdSize) {
        error = "generation id \"" + generationId + "\" is not 16 characters";
        return false;
    }
    const std::uint64_t entriesOffset = PairEntriesOffset();
    std::vector<std::uint8_t> head(entriesOffset + entries.size() * kPairEntrySize, 0);
    std::memcpy(head.data(), kPairFileMagic, 8);
    PutU32(head.data() + 8, kPairFileVersion);
    PutU32(head.data() + 12, kPairMarkStride);
    std::memcpy(head.data() + kPairIdOffset, generationId.data(), kPairIdSize);
    PutU64(head.data() + 48, entries.size());

    // The first table: entries of key a start where those of the keys below end.
    const std::size_t keys = static_cast<std::size_t>(kCharacterSlots) + 1;
    std::size_t entry = 0;
    for (std::size_t a = 0; a < keys; ++a) {
        while (entry < entries.size() && (entries[entry].pair >> 32) < a)
            ++entry;
        PutU32(head.data() + kPairHeaderSize + 4 * a, static_cast<std::uint32_t>(entry));
    }
    std::uint64_t offset = head.size();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        std::uint8_t* e = head.data() + entriesOffset + i * kPairEntrySize;
        PutU32(e, static_cast<std::uint32_t>(entries[i].pair));
        PutU32(e + 4, entries[i].length);
        PutU64(e + 8, offset);
        PutU64(e + 16, entries[i].checksum);
        offset += entries[i].length;
    }
    if (!file.WriteAt(0, head, error))
        return false;

    // The streams, in the order of their entries, gathered into writes of
    // about a MiB (most streams are a few bytes long).
    offset = head.size();
    std::vector<std::uint8_t> pending;
    const auto flush = [&] {
        if (!file.WriteAt(offset, pending, error))
            return false;
        offset += pending.size();
        pending.clear();
        return true;
    };
    std::size_t copied = 0;
    for (const std::filesystem::path& path : runs) {
        RunReader run;
        if (!run.Open(path, error))
            return false;
        while (run.id() != kEndOfRun) {
            if (copied == entries.size() || run.length() != entries[copied].length) {
                error = path.string() + ": a spilled pair stream does not match its entry";
                return false;
            }
            const bool ok = run.CopySegment(
                [&](std::span<const std::uint8_t> piece) {
                    pending.insert(pending.end(), piece.begin(), piece.end());
                    return pending.size() < (std::size_t{1} << 20) || flush();
                },
                error);
            if (!ok)
                return false;
            ++copied;
        }
    }
    if (copied != entries.size()) {
        error = "the spilled pair streams end before their entries";
        return false;
    }
    return flush();
}

} // namespace vesk::build
