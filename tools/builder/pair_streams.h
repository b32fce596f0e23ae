#pragma once
// The pair index of one layer (src/engine/pair_index.h has the file layout):
// for every two keyed characters at positions p and p + 1 of a page, the
// pages and positions p where they stand, collected page by page in page
// order and written with the layer's index files; the file records the
// generation id of the build it switches in with.
#include "builder/output_file.h"
#include "builder/page_positions.h"
#include "engine/pair_index.h"

#include <cstdint>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

namespace vesk::build {

// Every 64th record of a pair's stream is marked, so a reader leaps over
// 64 records at a time.
inline constexpr std::uint32_t kPairMarkStride = 64;

class PairStreams {
public:
    // Adds the page's pairs; positions are the page's keyed positions in
    // ascending order. Pages must come in ascending order.
    void AddPage(std::uint32_t pageId, std::span<const KeyPosition> positions);

    // Writes the pair file for the generation of id (16 hex digits).
    bool Write(const std::string& generationId, OutputFile& file, std::string& error) const;

private:
    struct Stream {
        std::vector<std::uint8_t> records;
        std::vector<std::uint32_t> marks; // page, offset of every kPairMarkStride-th record after the first
        std::uint32_t recordCount = 0;
        std::uint32_t lastPage = 0;
    };
    void AppendRecord(std::uint64_t pair, std::uint32_t pageId, std::span<const std::uint32_t> positions);

    std::unordered_map<std::uint64_t, Stream> m_streams; // by keyA << 32 | keyB
    std::vector<std::pair<std::uint64_t, std::uint32_t>> m_scratch;
    std::vector<std::uint32_t> m_positions;
    std::vector<std::uint8_t> m_listBytes;
};

} // namespace vesk::build
