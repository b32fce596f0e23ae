#pragma once
// Sorted runs of one layer's pair places, and their merge.
//
// A run holds the places of the pages one buffer took (pages whole, in
// ascending order), sorted by pair, in two files of the spill folder:
//   data       for every pair, its records:
//                leb128 page delta (the first from 0), leb128 list length,
//                positions as in the posting data (the first absolute, each
//                further one the distance from the previous)
//   directory  for every pair: leb128 pair delta (keyA << 32 | keyB, the
//              first from 0), leb128 length of its records in data
// Since pages arrive in ascending order, a pair's records in one run all
// precede its records in the next: a pair's records in all runs, taken in
// run order, are its records in page order, and a merge goes pair by pair
// taking each run's section in turn.
#include "builder/run_file.h"
#include "builder/spill_folder.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace vesk::build {

struct PairRun {
    std::filesystem::path data, directory;
    std::uint64_t pairs = 0; // entries of the directory
};

// Writes one run, pair by pair in ascending order, record by record in
// ascending page order.
class PairRunWriter {
public:
    bool Create(SpillFolder& folder, std::string& error);
    void BeginPair(std::uint64_t pair);
    // Appends a record of the current pair (list: its encoded positions).
    void AddRecord(std::uint32_t page, std::span<const std::uint8_t> list);
    bool EndPair(std::string& error);
    // Closes both files; run describes them.
    bool Finish(PairRun& run, std::string& error);

private:
    RunWriter m_data, m_directory;
    PairRun m_run;
    std::uint64_t m_pair = 0, m_lastPair = 0;
    std::uint32_t m_lastPage = 0;
    std::vector<std::uint8_t> m_section, m_entry;
};

// Reads a run file sequentially through a buffer.
class RunBytes {
public:
    bool Open(const std::filesystem::path& path, std::size_t bufferBytes, std::string& error);
    bool ReadLeb128(std::uint64_t& value, std::string& error);
    // Replaces out by the next n bytes.
    bool Read(std::uint64_t n, std::vector<std::uint8_t>& out, std::string& error);

private:
    RunInput m_input;
};

// Goes through the pairs of several runs in ascending order; a pair's
// records come from each run that has it, in run order. The runs'
// directories are read one first key at a time: its entries are linked by
// second key, and the second keys present are marked in a bitmap scanned in
// ascending order, so each run's section of a pair is found in constant time
// whatever the number of runs.
class PairRunMerge {
public:
    // bufferBytes: the read buffer of each file; withData false reads the
    // directories only (ForEachRecord is then not to be called).
    bool Open(std::span<const PairRun> runs, std::size_t bufferBytes, bool withData, std::string& error);
    // Moves to the next pair; false at the end or on an error (error set).
    bool Next(std::uint64_t& pair, std::string& error);
    // Passes every record of the current pair to record(page, list) in page
    // order; must be called once after each Next that found a pair.
    template <class Fn> bool ForEachRecord(Fn&& record, std::string& error);

private:
    struct Source {
        RunBytes directory, data;
        std::uint64_t left = 0;             // directory entries not yet read
        std::uint64_t pair = 0, length = 0; // the entry read ahead, if pending
        bool pending = false;
    };
    // A directory entry of the current first key.
    struct Entry {
        std::uint32_t second;
        std::uint32_t run;
        std::uint64_t length;
        std::int64_t next; // the entry of the same pair in a later run, or -1
    };
    bool ReadEntry(std::size_t run, std::string& error);
    bool LoadFirstKey(std::string& error);
    bool Corrupt(std::size_t run, std::string& error) const;

    std::vector<Source> m_sources;
    std::vector<std::filesystem::path> m_paths;
    std::vector<Entry> m_entries;       // of the current first key, in run order
    std::vector<std::int64_t> m_head;   // by second key: its entry in the earliest run, or -1
    std::vector<std::uint64_t> m_seen;  // bitmap of the second keys not yet gone through
    std::size_t m_word = 0, m_words = 0; // the bitmap's words still to scan
    std::uint64_t m_first = 0;
    std::int64_t m_current = -1;        // the current pair's first entry
    std::vector<std::uint8_t> m_section;
};

// The number of distinct pairs in runs, read from their directories.
bool CountPairs(std::span<const PairRun> runs, std::size_t bufferBytes, std::uint64_t& pairs,
                std::string& error);

// Merges runs into one run written to folder.
bool MergePairRuns(std::span<const PairRun> runs, std::size_t bufferBytes, SpillFolder& folder,
                   PairRun& merged, std::string& error);

// Reads a leb128 number of at most 64 bits from [at, end).
bool ReadLeb128(const std::uint8_t*& at, const std::uint8_t* end, std::uint64_t& value);

template <class Fn> bool PairRunMerge::ForEachRecord(Fn&& record, std::string& error)
{
    for (std::int64_t e = m_current; e >= 0; e = m_entries[static_cast<std::size_t>(e)].next) {
        const Entry& entry = m_entries[static_cast<std::size_t>(e)];
        if (!m_sources[entry.run].data.Read(entry.length, m_section, error))
            return false;
        const std::uint8_t* at = m_section.data();
        const std::uint8_t* const end = at + m_section.size();
        std::uint64_t page = 0;
        while (at < end) {
            std::uint64_t delta = 0, length = 0;
            if (!ReadLeb128(at, end, delta) || !ReadLeb128(at, end, length) ||
                length > static_cast<std::uint64_t>(end - at) || (page += delta) > 0xFFFFFFFF)
                return Corrupt(entry.run, error);
            if (!record(static_cast<std::uint32_t>(page), std::span<const std::uint8_t>(at, length)))
                return false;
            at += length;
        }
    }
    m_current = -1;
    return true;
}

} // namespace vesk::build
