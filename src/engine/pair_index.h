#pragma once
// The pair index: an optional file beside one index layer that lists, for
// every two characters standing side by side (positions p and p + 1), the
// pages and positions p where they do. A phrase is then found from the
// streams of a few of its pairs, which are far shorter than the streams of
// its characters. The file is a cache of what the posting streams say: a
// layer answers the same without it, and it is used only when it belongs to
// the folder's build (an optional file, docs/formats.md) and a stream's
// checksum holds.
//
//   "<base>-idx.pairs", little-endian:
//     0    char[8] "VSKPAIR1"
//     8    u32 version (1)
//     12   u32 mark stride S (every S-th record starts again from page 0)
//     16   char[16] the generation id of the build it belongs to (16 hex digits)
//     32   u64[2] reserved (0)
//     48   u64 E, the number of pairs
//     56   u64 reserved (0)
//     64   u32 first[kCharacterSlots + 1]: the pairs whose first key is a
//          are entries first[a] .. first[a + 1] - 1
//     then, from the next multiple of 8, E entries of 24 bytes, by first key
//     and then ascending second key:
//          u32 second key, u32 stream length, u64 stream offset in the file,
//          u64 checksum of the stream (PairStreamChecksum)
//     then the streams:
//   stream := u32 R (records), u32 M = (R - 1) / S (marks),
//             mark{u32 page, u32 offset}[M],  -- record k*S (k = 1..M): its page
//                                                and its offset after the marks
//             record[R]
//   record := leb128 page delta (from 0 for records 0, S, 2S, ...),
//             leb128 list length in bytes,
//             positions: variable-length numbers as in the posting data, the
//             first the position p of the pair's first character, each further
//             one the distance from the previous.
// Pages ascend strictly within a stream. Only character keys take part
// (variant-group keys do not).
#include "engine/mapped_file.h"

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace vesk {

inline constexpr char kPairFileMagic[8] = {'V', 'S', 'K', 'P', 'A', 'I', 'R', '1'};
inline constexpr std::uint32_t kPairFileVersion = 1;
inline constexpr std::uint64_t kPairHeaderSize = 64;
inline constexpr std::uint64_t kPairEntrySize = 24;
inline constexpr std::string_view kPairFileSuffix = "-idx.pairs";

inline constexpr std::uint64_t kPairIdOffset = 16;
inline constexpr std::size_t kPairIdSize = 16;

// Little-endian fields of a pair file, read where they stand.
inline std::uint32_t PairU32(const std::uint8_t* p)
{
    std::uint32_t v = 0;
    std::memcpy(&v, p, 4);
    return v;
}

inline std::uint64_t PairU64(const std::uint8_t* p)
{
    std::uint64_t v = 0;
    std::memcpy(&v, p, 8);
    return v;
}

// Reads one leb128 number of a record at at (moved past it); false when
// the bytes end first or it runs past 35 bits.
inline bool ReadPairLeb128(const std::uint8_t*& at, const std::uint8_t* end, std::uint32_t& value)
{
    std::uint32_t v = 0;
    for (unsigned shift = 0; shift < 35 && at < end; shift += 7) {
        const std::uint8_t b = *at++;
        v |= std::uint32_t{b & 0x7Fu} << shift;
        if ((b & 0x80) == 0) {
            value = v;
            return true;
        }
    }
    return false;
}

// A 64-bit checksum of a pair's stream, seeded with its keys so that a
// stream found under the wrong pair fails too.
inline std::uint64_t PairStreamChecksum(std::uint32_t keyA, std::uint32_t keyB, std::span<const std::uint8_t> bytes)
{
    constexpr std::uint64_t kMul = 0x9E3779B97F4A7C15ULL;
    std::uint64_t h = (std::uint64_t{keyA} << 32 | keyB) * kMul ^ bytes.size();
    const std::uint8_t* p = bytes.data();
    std::size_t n = bytes.size();
    for (; n >= 8; n -= 8, p += 8) {
        std::uint64_t w = 0;
        std::memcpy(&w, p, 8);
        h = (h ^ w) * kMul;
        h ^= h >> 31;
    }
    std::uint64_t tail = 0;
    std::memcpy(&tail, p, n);
    h = (h ^ tail ^ (std::uint64_t{n} << 56)) * kMul;
    return h ^ (h >> 29);
}

// One pair's stream, found and checked.
struct PairStream {
    std::span<const std::uint8_t> marks;   // M marks of 8 bytes
    std::span<const std::uint8_t> records; // the R records
    std::uint32_t recordCount = 0;
    std::uint32_t markStride = 0;
};

class PairIndex {
public:
    // Maps folder/name when it is a pair file of the folder's build
    // (OptionalFileIsCurrent against markerBytes, the generation marker the
    // folder was checked with); false (and closed) otherwise.
    bool Open(const std::filesystem::path& folder, const std::string& name, std::string_view markerBytes);
    void Close();
    bool IsOpen() const { return m_map.IsOpen(); }

    // The stream of the pair (keyA, keyB), false when the file lists no such
    // pair or its stream is damaged (bounds or checksum).
    bool Find(std::uint32_t keyA, std::uint32_t keyB, PairStream& stream) const;

    // For checking: the number of pairs and the entries of first key a.
    std::uint64_t PairCount() const { return m_nPairs; }
    std::span<const std::uint8_t> Bytes() const { return m_map.Bytes(); }

private:
    MappedFile m_map;
    std::uint64_t m_nPairs = 0;
    std::uint64_t m_nEntriesOffset = 0;
    std::uint32_t m_nStride = 0;
};

// The offset of the entry table in a pair file.
std::uint64_t PairEntriesOffset();

} // namespace vesk
