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

// Writes the directory and data files of streams (indexed by key).
bool WritePostingFiles(const std::vector<KeyStream>& streams, BlockLayout layout,
                       OutputFile& directory, OutputFile& data, std::string& error);

} // namespace vesk::build
