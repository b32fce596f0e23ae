#pragma once
// Writes one index layer as its two files:
//   "-idx.h"  posting directory: first-block table (100000 x i32, -1 = no
//             postings), pages per key (100000 x u16, clamped to 65535),
//             occurrences per key (100000 x u32), last-page table
//             (100000 x u32), block-link table (one u32 per data block; the
//             last block of a stream links to 0xFFFFFFFF), little-endian.
//   "-idx.m"  posting data: 4096-byte blocks; every stream starts at byte 0
//             of a block of its own; unused block tails are holes. A data
//             file always holds at least one block so it can be mapped.
#include "builder/output_file.h"
#include "builder/posting_streams.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vesk::build {

inline constexpr std::uint32_t kBlockSize = 4096;
inline constexpr std::uint32_t kNoNextBlock = 0xFFFFFFFF;

// How streams are laid out over the blocks. Contiguous keeps each stream in
// consecutive blocks; interleaved deals the blocks of all streams out round by
// round, so multi-block streams are chained through non-adjacent blocks (for
// testing readers that must follow the block links).
enum class BlockLayout { contiguous, interleaved };

// Writes the directory and data files of streams (indexed by key) whose
// bytes come piece by piece, keys ascending:
//   PostingFileWriter writer(streams, layout, directory, data);
//   writer.Start(error);  writer.Write(key, bytes, error) ...;  writer.Finish(error);
class PostingFileWriter {
public:
    PostingFileWriter(const std::vector<KeyStream>& streams, BlockLayout layout,
                      OutputFile& directory, OutputFile& data);

    // Places the streams' blocks; false when there are too many.
    bool Start(std::string& error);
    // The next bytes of key's stream (keys in ascending order; a key's
    // pieces in order).
    bool Write(std::uint32_t key, std::span<const std::uint8_t> bytes, std::string& error);
    // Checks that every stream came whole, sets the data file's length and
    // writes the directory.
    bool Finish(std::string& error);

private:
    bool Put(std::uint64_t offset, std::span<const std::uint8_t> bytes, std::string& error);
    bool Flush(std::string& error);
    bool EndStream(std::string& error);

    const std::vector<KeyStream>& m_streams;
    BlockLayout m_layout;
    OutputFile& m_directory;
    OutputFile& m_data;
    std::vector<std::size_t> m_start;   // blocks of key k: m_chain[m_start[k] .. m_start[k + 1])
    std::vector<std::uint32_t> m_chain;
    std::uint32_t m_key = 0;            // the stream being written
    std::uint64_t m_written = 0;        // of its bytes
    std::vector<std::uint8_t> m_buffer; // consecutive bytes of the data file from m_bufferAt
    std::uint64_t m_bufferAt = 0;
};

} // namespace vesk::build
