#pragma once
// The posting streams of all index layers while a build runs, in bounded
// memory. Records are appended to their key's stream in one buffer
// (StreamArena); when it is full, its streams are written out in key order as
// a sorted run into a spill folder under the output, and the buffer starts
// again. At the end, each layer's streams are read back key by key (the
// runs at once, within the same budget of read buffers): every
// run's segment of a key in run order, then the key's bytes still in memory.
// Since records arrive in page order, that concatenation is the stream
// exactly as one buffer holding everything would have held it. Without a
// spill nothing touches the disk.
#include "builder/run_file.h"
#include "builder/spill_folder.h"
#include "builder/stream_arena.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace vesk::build {

class PostingRuns {
public:
    // budget: bytes of the in-memory buffer; keysPerLayer: stream ids per
    // layer; folder: where runs are spilled (may be shared).
    PostingRuns(std::uint32_t layers, std::uint32_t keysPerLayer, std::uint64_t budget,
                SpillFolder& folder);

    // Appends bytes to the stream of key in layer (spilling a run when the
    // buffer fills). False with an error when a run cannot be written.
    bool Append(std::uint32_t layer, std::uint32_t key, std::span<const std::uint8_t> bytes,
                std::string& error);

    // After the last Append: merges runs until all can be read at once.
    bool FinishAppending(std::string& error);

    // The bytes of a key's stream, in one or more calls, keys ascending.
    using PieceFn = std::function<bool(std::uint32_t key, std::span<const std::uint8_t> bytes)>;
    // Feeds every stream of layer to piece; layers must be read in ascending
    // order, each once. piece returning false stops with false (its error
    // is the caller's).
    bool ReadLayer(std::uint32_t layer, const PieceFn& piece, std::string& error);

    std::size_t spilledRuns() const { return m_spilled; }

private:
    bool Spill(std::string& error);
    bool MergeFirstRuns(std::size_t count, std::string& error);

    std::uint32_t m_keysPerLayer;
    std::uint64_t m_budget; // of the buffer, and of the read buffers at the end
    StreamArena m_arena;
    SpillFolder& m_folder;
    std::vector<std::filesystem::path> m_runs; // in run order
    std::vector<RunReader> m_readers;          // open while layers are read
    std::size_t m_spilled = 0;
};

} // namespace vesk::build
