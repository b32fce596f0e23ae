#pragma once
// The pair index of one layer (src/engine/pair_index.h has the file layout):
// for every two keyed characters at positions p and p + 1 of a page, the
// pages and positions p where they stand. A build collects the streams of one
// range of first keys at a time, so that its memory stays within a budget
// whatever the corpus: each range's streams are spilled to a run file in
// ascending pair order, and the file is written from the runs at the end,
// recording the generation id of the build it switches in with.
#include "builder/output_file.h"
#include "builder/page_positions.h"
#include "builder/run_file.h"
#include "engine/pair_index.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace vesk::build {

// Every 64th record of a pair's stream is marked, so a reader leaps over
// 64 records at a time.
inline constexpr std::uint32_t kPairMarkStride = 64;

// The memory a pair's place takes while a range is collected.
inline constexpr std::uint64_t kPairPlaceBytes = 16;

// Adds to counts[a] the pairs of the page whose first key is a (counts has
// one entry per character slot); a build sizes its ranges of first keys
// from these counts (kPairPlaceBytes a pair while held).
void CountPairsByFirstKey(std::span<const KeyPosition> positions, std::vector<std::uint64_t>& counts);

// A pair's stream as spilled: its keys, length and checksum. The streams
// follow one another in the run files in the order of their entries.
struct PairEntry {
    std::uint64_t pair; // keyA << 32 | keyB
    std::uint64_t checksum;
    std::uint32_t length;
};

class PairStreams {
public:
    // Keeps only the pairs whose first key lies in [lo, hi).
    void SetFirstKeys(std::uint32_t lo, std::uint32_t hi);

    // Makes room for places pairs at once (the range's count), so that the
    // held places never take twice their room while growing.
    void Reserve(std::size_t places);

    // Adds the page's pairs; positions are the page's keyed positions in
    // ascending order. Pages must come in ascending order.
    void AddPage(std::uint32_t pageId, std::span<const KeyPosition> positions);

    // Appends every stream held, in ascending pair order, to run and its
    // entry to entries, and lets the streams go.
    bool Spill(RunWriter& run, std::vector<PairEntry>& entries, std::string& error);

private:
    // One place of a pair: 16 bytes while held.
    struct Place {
        std::uint64_t pair; // keyA << 32 | keyB
        std::uint32_t page, position;
    };

    std::uint32_t m_firstLo = 0, m_firstHi = 0xFFFFFFFF;
    std::vector<Place> m_held;
    std::vector<std::uint8_t> m_listBytes;
};

// Writes the pair file for the generation of id (16 hex digits): the head
// from entries (ascending pairs), then the streams copied from the run files
// in order.
bool WritePairFile(const std::string& generationId, std::span<const PairEntry> entries,
                   std::span<const std::filesystem::path> runs, OutputFile& file, std::string& error);

} // namespace vesk::build
