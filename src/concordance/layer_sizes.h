#pragma once
// How many characters each page holds in each layer: the code points of its
// text cell's plain text (plain_text.h) that have an index key (punctuation
// and the like have none), counted in the main-text items and in the
// annotation items. Worked out once from the page store (reading every page,
// about half a second for the demo corpus) and kept, as prefix sums, so the
// characters of any range of pages come in constant time.
#include "textstore/file_list.h"
#include "textstore/hit_page.h"

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace vesk {

struct PageLayerCounts {
    std::uint64_t main = 0;
    std::uint64_t annotations = 0;
};

// The counts of one stored page (page number: its file name's, for the text cell).
PageLayerCounts CountPageLayers(std::string_view storedPage, std::int32_t pageNumber);

class LayerSizes {
public:
    // Reads every page of pages. A page that cannot be read counts nothing.
    // keepGoing, asked every few hundred pages, can stop the work: false is
    // then returned and nothing is kept.
    bool Compute(const CFileList& pages, const std::function<bool()>& keepGoing = {});

    bool Empty() const { return m_main.size() <= 1; }
    std::size_t Pages() const { return m_main.empty() ? 0 : m_main.size() - 1; }

    // Characters of the layer a hit page target marks (SearchTarget: whole,
    // main text, annotations) on the pages first .. end - 1 (page
    // identifiers); pages beyond the store count nothing.
    std::uint64_t Characters(std::uint64_t first, std::uint64_t end, std::int32_t target) const;

private:
    std::vector<std::uint64_t> m_main{0};        // prefix sums, one more than pages
    std::vector<std::uint64_t> m_annotations{0};
};

} // namespace vesk
