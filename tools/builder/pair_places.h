#pragma once
// The places of the pairs of one or more index layers while the pages are
// read: for every two keyed characters at positions p and p + 1 of a page,
// the pair, the page and p. They are held in a buffer of fixed size; when the
// next page's places do not fit, the buffer is sorted (by layer, pair, page,
// position) and written as one sorted run per layer (builder/pair_runs.h),
// and the buffer starts again; the sort is in place (a radix sort). A page's
// places of one layer always go to one run, so a pair's record of a page is
// never split between runs.
#include "builder/page_positions.h"
#include "builder/pair_runs.h"
#include "builder/spill_folder.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vesk::build {

// A place while held: its sort key (layer, pair, order of arrival) and its
// page and position.
struct PairPlace {
    std::uint64_t key;
    std::uint64_t at; // page << 32 | position
};
inline constexpr std::uint64_t kPairPlaceBytes = sizeof(PairPlace);

class PairPlaces {
public:
    // budget: bytes of the buffer (it grows beyond only to hold one page).
    PairPlaces(std::uint32_t layers, std::uint64_t budget, SpillFolder& folder);

    // Adds the page's pairs in layer; positions are the page's keyed
    // positions in ascending order. Pages of a layer must come in ascending
    // order. False with an error when a run cannot be written.
    bool AddPage(std::uint32_t layer, std::uint32_t pageId, std::span<const KeyPosition> positions,
                 std::string& error);

    // After the last page: spills what is held and lets the buffer go.
    bool Finish(std::string& error);

    // The runs of layer, in the order their pages came.
    std::span<const PairRun> runs(std::uint32_t layer) const { return m_runs[layer]; }
    // The runs written, of all layers.
    std::size_t spilledRuns() const;

private:
    bool Spill(std::string& error);

    std::size_t m_capacity;
    SpillFolder& m_folder;
    std::vector<PairPlace> m_held;
    std::vector<std::vector<PairRun>> m_runs; // by layer
    std::vector<std::uint8_t> m_list;
};

} // namespace vesk::build
