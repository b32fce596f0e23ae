#pragma once
// The posting streams of one index layer, built page by page in page order.
// Each key's stream is a sequence of page records:
//   page delta (variable-length number), list length (u16 LE, bytes),
//   positions (variable-length numbers: the first absolute, then distances).
// A character in variant group g is also recorded under the key 88065 + g.
// The bytes go to the layer's part of PostingRuns; what the directory needs
// of each stream is kept here.
#include "builder/page_positions.h"
#include "builder/posting_runs.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vesk::build {

struct KeyStream {
    std::uint64_t bytes = 0;        // length of the stream
    std::uint32_t lastPage = 0;     // page identifier of the last record
    std::uint32_t pages = 0;        // number of page records
    std::uint32_t occurrences = 0;  // number of positions
};

class PostingStreams {
public:
    // groupOfSlot: for every character slot its variant group or -1 (may be
    // empty: no groups). The stream bytes go to layer of runs.
    PostingStreams(std::span<const std::int32_t> groupOfSlot, PostingRuns& runs,
                   std::uint32_t layer);

    // Appends the page's records. Pages must come in ascending order of page
    // identifier. False with an error when a format limit is exceeded or a
    // sorted run cannot be written.
    bool AddPage(std::uint32_t pageId, std::span<const KeyPosition> positions,
                 std::string& error);

    const std::vector<KeyStream>& streams() const { return m_streams; } // indexed by key
    std::uint64_t keyedPositions() const { return m_keyedPositions; }

private:
    bool AppendRecord(std::uint32_t pageId, std::span<const KeyPosition> run, std::string& error);

    std::span<const std::int32_t> m_groupOfSlot;
    PostingRuns& m_runs;
    std::uint32_t m_layer;
    std::vector<KeyStream> m_streams;
    std::vector<KeyPosition> m_scratch;        // the page's positions plus group copies
    std::vector<std::uint8_t> m_record;        // one record, after room for its header
    std::vector<std::uint8_t> m_header;        // the record's page delta and list length
    std::uint64_t m_keyedPositions = 0;
};

} // namespace vesk::build
