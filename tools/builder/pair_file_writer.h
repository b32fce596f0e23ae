#pragma once
// Writes the pair index of one layer (src/engine/pair_index.h has the file
// layout) from its sorted runs (builder/pair_runs.h) in one merge: the
// directories are read first for the number of pairs, which fixes where the
// streams begin; then pair by pair, each run's section in turn, every stream
// is encoded (its marks, its records) and written with its entry (each
// first key's checksum taken as its entries go by); the key checksums after
// the streams, the header and the table of first keys come last.
#include "builder/output_file.h"
#include "builder/pair_runs.h"
#include "builder/spill_folder.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vesk::build {

// Every 64th record of a pair's stream is marked, so a reader leaps over
// 64 records at a time.
inline constexpr std::uint32_t kPairMarkStride = 64;

// Writes the pair file for the generation of id (16 hex digits) from runs
// (in the order of their pages), whose files are removed once read. budget:
// the read buffers of all runs together, which also bounds how many runs are
// read at once (8 to 128); beyond, the first runs are merged into one first.
bool WritePairFile(const std::string& generationId, std::vector<PairRun> runs, SpillFolder& folder,
                   std::uint64_t budget, OutputFile& file, std::string& error);

} // namespace vesk::build
