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
//     8    u32 version (2; readers also take 1, see below)
//     12   u32 mark stride S (every S-th record starts again from page 0)
//     16   char[16] the generation id of the build it belongs to (16 hex digits)
//     32   u64 offset of the key checksums (version 2; 0 in version 1)
//     40   u64 reserved (0)
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
//     then (version 2), from the next multiple of 8, the key checksums:
//          u64[kCharacterSlots], for every first key a the PairKeyChecksum
//          of a, first[a], first[a + 1] and a's entries
// Pages ascend strictly within a stream. Only character keys take part
// (variant-group keys do not).
//
// A stream's checksum vouches for a pair the file lists; a key checksum
// vouches for the whole list of a first key, so that a pair missing from a
// sound list truly never stands side by side. A phrase searched with
// variants relies on that (it reads an unlisted pair as one that never
// occurs), so it uses only version 2 files; plain phrases read an unlisted
// pair as "search the posting streams" and use version 1 files too.
#include "engine/mapped_file.h"

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace vesk {

inline constexpr char kPairFileMagic[8] = {'V', 'S', 'K', 'P', 'A', 'I', 'R', '1'};
inline constexpr std::uint32_t kPairFileVersion = 2;
inline constexpr std::uint32_t kPairFileVersionWithoutKeyChecksums = 1;
inline constexpr std::uint64_t kPairHeaderSize = 64;
inline constexpr std::uint64_t kPairEntrySize = 24;
inline constexpr std::string_view kPairFileSuffix = "-idx.pairs";

inline constexpr std::uint64_t kPairIdOffset = 16;
inline constexpr std::size_t kPairIdSize = 16;
inline constexpr std::uint64_t kPairKeyChecksumsField = 32;

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

// Reads the two leb128 numbers that open a record (a page delta and a
// length or count); false when either is damaged. Both in one byte each, the
// common case in every stream of the pair and page-count files, are taken at
// once with one bounds check.
inline bool ReadPairLeb128Two(const std::uint8_t*& at, const std::uint8_t* end, std::uint32_t& first,
                              std::uint32_t& second)
{
    if (end - at >= 2 && (at[0] | at[1]) < 0x80) {
        first = at[0];
        second = at[1];
        at += 2;
        return true;
    }
    return ReadPairLeb128(at, end, first) && ReadPairLeb128(at, end, second);
}

inline constexpr std::uint64_t kPairChecksumMul = 0x9E3779B97F4A7C15ULL;

// Mixes the 8-byte word at p into h.
inline std::uint64_t MixPairWord(std::uint64_t h, const std::uint8_t* p)
{
    std::uint64_t w = 0;
    std::memcpy(&w, p, 8);
    h = (h ^ w) * kPairChecksumMul;
    return h ^ (h >> 31);
}

// Mixes the whole 8-byte words of bytes into h (a trailing part is left).
inline std::uint64_t MixPairWords(std::uint64_t h, const std::uint8_t* p, std::size_t n)
{
    for (; n >= 8; n -= 8, p += 8)
        h = MixPairWord(h, p);
    return h;
}

// A 64-bit checksum of a pair's stream, seeded with its keys so that a
// stream found under the wrong pair fails too: the seed, the whole words
// mixed in (MixPairWords), then the trailing bytes.
inline std::uint64_t PairStreamChecksumSeed(std::uint32_t keyA, std::uint32_t keyB, std::size_t size)
{
    return (std::uint64_t{keyA} << 32 | keyB) * kPairChecksumMul ^ size;
}

inline std::uint64_t PairStreamChecksumFinish(std::uint64_t h, std::span<const std::uint8_t> bytes)
{
    const std::size_t n = bytes.size() % 8;
    std::uint64_t tail = 0;
    std::memcpy(&tail, bytes.data() + (bytes.size() - n), n);
    h = (h ^ tail ^ (std::uint64_t{n} << 56)) * kPairChecksumMul;
    return h ^ (h >> 29);
}

inline std::uint64_t PairStreamChecksum(std::uint32_t keyA, std::uint32_t keyB, std::span<const std::uint8_t> bytes)
{
    const std::uint64_t h = MixPairWords(PairStreamChecksumSeed(keyA, keyB, bytes.size()), bytes.data(), bytes.size());
    return PairStreamChecksumFinish(h, bytes);
}

// The checksums of two streams, each exactly its PairStreamChecksum. Every
// word's multiplication waits for the one before it in the same stream, so
// the two chains are mixed side by side and take about the time of one.
struct PairChecksumInput {
    std::uint32_t keyA = 0;
    std::uint32_t keyB = 0;
    std::span<const std::uint8_t> bytes;
};

inline void PairStreamChecksumsOfTwo(const PairChecksumInput& first, const PairChecksumInput& second,
                                     std::uint64_t& firstChecksum, std::uint64_t& secondChecksum)
{
    std::uint64_t h1 = PairStreamChecksumSeed(first.keyA, first.keyB, first.bytes.size());
    std::uint64_t h2 = PairStreamChecksumSeed(second.keyA, second.keyB, second.bytes.size());
    const std::uint8_t* p1 = first.bytes.data();
    const std::uint8_t* p2 = second.bytes.data();
    const std::size_t words1 = first.bytes.size() / 8;
    const std::size_t words2 = second.bytes.size() / 8;
    const std::size_t together = words1 < words2 ? words1 : words2;
    for (std::size_t i = 0; i < together; ++i, p1 += 8, p2 += 8) {
        h1 = MixPairWord(h1, p1);
        h2 = MixPairWord(h2, p2);
    }
    h1 = MixPairWords(h1, p1, (words1 - together) * 8);
    h2 = MixPairWords(h2, p2, (words2 - together) * 8);
    firstChecksum = PairStreamChecksumFinish(h1, first.bytes);
    secondChecksum = PairStreamChecksumFinish(h2, second.bytes);
}

// The checksum of first key a's list: its key, where its entries begin and
// end in the entry table (first[a], first[a + 1]) and their bytes, so that a
// changed entry, a changed first[] value or a list moved under another key
// all fail. Built entry by entry, as the builder writes them.
class PairKeyChecksum {
public:
    PairKeyChecksum(std::uint32_t key, std::uint64_t firstEntry)
        : m_h((std::uint64_t{key} << 32 ^ firstEntry) * kPairChecksumMul ^ 0x6B65796C69737421ULL)
    {
    }
    // bytes: whole entries (a multiple of 8 bytes).
    void Add(std::span<const std::uint8_t> bytes) { m_h = MixPairWords(m_h, bytes.data(), bytes.size()); }
    std::uint64_t Finish(std::uint64_t endEntry) const
    {
        const std::uint64_t h = (m_h ^ endEntry) * kPairChecksumMul;
        return h ^ (h >> 29);
    }

private:
    std::uint64_t m_h;
};

// The two keys of a pair: the character at p and the one at p + 1.
struct PairKeys {
    std::uint32_t keyA = 0;
    std::uint32_t keyB = 0;
};

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
    bool Find(std::uint32_t keyA, std::uint32_t keyB, PairStream& stream) const
    {
        return Lookup(keyA, keyB, stream) == PairLookup::Found;
    }
    // The same, telling a pair the file does not list (it never stands side
    // by side) from one whose entry or stream is damaged.
    enum class PairLookup { Found, Absent, Damaged };
    PairLookup Lookup(std::uint32_t keyA, std::uint32_t keyB, PairStream& stream) const;
    // The streams of several pairs at once, each as Find gives it, their
    // checksums computed two at a time (a phrase's pairs are all read, and
    // checking a frequent pair's stream is a good part of its search).
    // False when any pair is not listed or is damaged.
    bool FindAll(std::span<const PairKeys> keys, std::span<PairStream> streams) const;

    // True when the file carries key checksums (version 2, its table within
    // the file), so that KeyListIsSound can vouch for an absent pair.
    bool HasKeyChecksums() const { return m_nKeyChecksumsOffset != 0; }
    // True when the list of first key keyA (its first[] bounds and entries)
    // is as the builder wrote it: a pair (keyA, b) that Lookup calls absent
    // then never stands side by side. Reads the whole list: a caller checks
    // each key once per search.
    bool KeyListIsSound(std::uint32_t keyA) const;

    // For checking: the number of pairs and the entries of first key a.
    std::uint64_t PairCount() const { return m_nPairs; }
    std::span<const std::uint8_t> Bytes() const { return m_map.Bytes(); }

private:
    // A pair's entry found and its stream within the file, not yet checked.
    struct LocatedStream {
        PairChecksumInput input;
        std::uint64_t checksum = 0; // the checksum the entry gives
    };
    PairLookup Locate(std::uint32_t keyA, std::uint32_t keyB, LocatedStream& located) const;
    // The stream of a located pair whose checksum holds, its marks checked.
    PairLookup Unpack(const LocatedStream& located, PairStream& stream) const;

    MappedFile m_map;
    std::uint64_t m_nPairs = 0;
    std::uint64_t m_nEntriesOffset = 0;
    std::uint64_t m_nKeyChecksumsOffset = 0; // 0: none (version 1, or its field damaged)
    std::uint32_t m_nStride = 0;
};

// The offset of the entry table in a pair file.
std::uint64_t PairEntriesOffset();

// Where the key checksums of a version 2 file whose streams end at
// streamsEnd begin; and whether a file of size bytes with E pairs can hold
// them at offset (after the entries, 8-aligned, within the file).
std::uint64_t PairKeyChecksumsOffset(std::uint64_t streamsEnd);
bool PairKeyChecksumsFit(std::uint64_t offset, std::uint64_t pairs, std::uint64_t size);

} // namespace vesk
