#pragma once
// The page-count index: an optional file beside one index layer that lists,
// for every key with a posting stream, the pages of its stream and the
// number of positions on each. A term with one cursor (one character, with
// or without "?" around it, with or without variants) finds exactly these
// pages and counts, so it is answered from a few bytes a page instead of
// every position number of its stream. The file is a cache of what the
// posting streams say: a layer answers the same without it, and it is used
// only when it belongs to the folder's build (an optional file,
// docs/formats.md) and a key's entry and stream hold their bounds and
// checksum.
//
//   "<base>-idx.counts", little-endian:
//     0    char[8] "VSKPCNT1"
//     8    u32 version (1)
//     12   u32 reserved (0)
//     16   char[16] the generation id of the build it belongs to (16 hex digits)
//     32   u64 K, the number of keys
//     40   u64 T, the offset of the key table (a multiple of 8)
//     48   u64[2] reserved (0)
//     64   the streams, one after another
//     T    K entries of 32 bytes, by ascending key:
//          u32 key, u32 record count R, u32 stream length, u32 reserved (0),
//          u64 stream offset in the file, u64 checksum (PageCountStreamChecksum)
//   stream := record[R]
//   record := leb128 page delta (the first from page 0), leb128 count (>= 1)
// Pages ascend strictly within a stream, and its last page is the key's
// last page in the posting directory.
#include "engine/mapped_file.h"
#include "engine/pair_index.h"
#include "engine/term_search.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vesk {

inline constexpr char kPageCountFileMagic[8] = {'V', 'S', 'K', 'P', 'C', 'N', 'T', '1'};
inline constexpr std::uint32_t kPageCountFileVersion = 1;
inline constexpr std::uint64_t kPageCountHeaderSize = 64;
inline constexpr std::uint64_t kPageCountEntrySize = 32;
inline constexpr std::string_view kPageCountFileSuffix = "-idx.counts";

inline constexpr std::uint64_t kPageCountIdOffset = 16;
inline constexpr std::size_t kPageCountIdSize = 16;

// A 64-bit checksum of a key's stream, seeded with the key (the pair file's
// checksum with a second key no character takes), so that a stream found
// under another key fails too.
inline std::uint64_t PageCountStreamChecksum(std::uint32_t key, std::span<const std::uint8_t> bytes)
{
    constexpr std::uint32_t kSeed = 0xC0DEC0C7;
    return PairStreamChecksum(key, kSeed, bytes);
}

// One entry of the key table, as read.
struct PageCountEntry {
    std::uint32_t key = 0;
    std::uint32_t records = 0;
    std::uint32_t length = 0;
    std::uint64_t offset = 0;
    std::uint64_t checksum = 0;
};

// Decodes a stream of records records into pages and counts (appended).
// False, with pages and counts as they were, when a record runs past the
// bytes, a page does not ascend, a count is 0 or bytes remain after the last
// record.
bool DecodePageCounts(std::span<const std::uint8_t> stream, std::uint32_t records, std::vector<std::uint32_t>& pages,
                      std::vector<std::uint32_t>& counts);

// The pages and counts a term with the single cursor key finds in the
// posting streams (ScanTerm), appended; false with fault set when the
// stream is damaged. The builder writes these, and `check` compares.
bool PageCountsFromPostings(const PostingTables& tables, std::uint32_t key, std::vector<std::uint32_t>& pages,
                            std::vector<std::uint32_t>& counts, ScanFault& fault);

// The tables of a posting directory mapped at directory, read in place as
// CIndex reads them, with data as the posting data. False when directory is
// shorter than its key tables.
bool PostingTablesInPlace(std::span<const std::uint8_t> directory, std::span<const std::uint8_t> data,
                          PostingTables& tables);

class PageCountIndex {
public:
    // Maps folder/name when it is a page-count file of the folder's build
    // (OptionalFileIsCurrent against markerBytes, the generation marker the
    // folder was checked with) with a sound header; false (and closed)
    // otherwise.
    bool Open(const std::filesystem::path& folder, const std::string& name, std::string_view markerBytes);
    void Close();
    bool IsOpen() const { return m_map.IsOpen(); }

    // Appends the pages and counts of key's stream. False, with pages and
    // counts as they were, when the file lists no such key, its entry or
    // stream is damaged (bounds, checksum, records) or its last page is not
    // lastPage (the key's last page in the posting directory).
    bool Read(std::uint32_t key, std::uint32_t lastPage, std::vector<std::uint32_t>& pages,
              std::vector<std::uint32_t>& counts) const;

    std::uint64_t KeyCount() const { return m_nKeys; }

private:
    bool FindEntry(std::uint32_t key, PageCountEntry& entry) const;

    MappedFile m_map;
    std::uint64_t m_nKeys = 0;
    std::uint64_t m_nTableOffset = 0;
};

// The header of a page-count file: false when bytes are not one of this
// version or its table does not lie within them.
bool ReadPageCountHeader(std::span<const std::uint8_t> bytes, std::uint64_t& keys, std::uint64_t& tableOffset);
// Entry i of the table (i < keys, as ReadPageCountHeader checked).
PageCountEntry PageCountEntryAt(std::span<const std::uint8_t> bytes, std::uint64_t tableOffset, std::uint64_t i);

} // namespace vesk
