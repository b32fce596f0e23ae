#pragma once
// The indexed text of one page, as positions of keys in the three layers.
//
// A page's indexed text is its text cell (the first cell for an even page
// number, the second for an odd one), split into main-text and annotation
// items by the page parser. Within an item every code point counts one
// position (an invalid UTF-8 byte too, without a key) and every complete tag
// counts one position without a key. The layers join the items:
//   whole text   all items in order, one keyless position between two items
//   main text    the main items only, joined without a gap
//   annotations  the annotation items only, one keyless position between two
// Only positions whose code point has a key (CodePointToSlot) are recorded.
#include <cstdint>
#include <string_view>
#include <vector>

namespace vesk::build {

struct KeyPosition {
    std::uint32_t key;
    std::uint32_t position;
};

struct PageLayers {
    std::vector<KeyPosition> whole, main, annotations; // in ascending position order
};

// Fills layers (cleared first) from the page bytes. Returns false when the
// page has no text cell (no "<TD" opens it): its text is then not indexed.
bool CollectPagePositions(std::string_view page, std::uint32_t pageNumber, PageLayers& layers);

} // namespace vesk::build
