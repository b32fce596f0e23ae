#pragma once
// Where a search's places lie: pages, places, characters of the searched
// layer and places per 10,000 of them for each category, work and volume,
// and, once the occurrences are known, the marked occurrences too.
//
// Pages and places are the engine's own figures (what the result list
// counts), taken from all pages found, whatever the scope. A node covers
// the page identifiers docID - 1 .. docID + docNo - 2, as the search pane's
// scope does; a damaged range (docID below 1, docNo below 1) covers nothing.
#include "concordance/layer_sizes.h"
#include "pane/model/contents_model.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace vesk {

// Figures per page, sorted by page identifier, with prefix sums: the pages
// and their figures inside any range in logarithmic time.
class PageTally {
public:
    PageTally() = default;
    // pages and counts are parallel (the engine's result arrays); entries
    // beyond the shorter one are ignored, a page given twice counts twice.
    PageTally(std::span<const std::uint32_t> pages, std::span<const std::uint32_t> counts);

    struct Sum {
        std::uint64_t pages = 0;
        std::uint64_t count = 0;
    };
    // The pages first .. end - 1.
    Sum InRange(std::uint64_t first, std::uint64_t end) const;
    Sum Total() const { return InRange(0, UINT64_MAX); }

private:
    std::vector<std::uint32_t> m_pages;
    std::vector<std::uint64_t> m_prefix{0};
};

struct DistributionRow {
    const ContentsNodeTag* node = nullptr;
    std::uint64_t pages = 0;
    std::uint64_t places = 0;
    std::uint64_t characters = 0;
    std::optional<std::uint64_t> marked; // when the occurrences were counted

    // Places per 10,000 characters of the layer; 0 without characters.
    double Rate() const { return characters == 0 ? 0.0 : static_cast<double>(places) * 10000.0 / characters; }
};

struct DistributionQuery {
    const PageTally* found = nullptr;  // the engine's pages and places
    const LayerSizes* sizes = nullptr; // null: characters stay 0
    std::int32_t target = 0;           // the layer (SearchTarget)
    const PageTally* marked = nullptr; // marked occurrences per page, when known
    std::int32_t maxLevel = 3;         // deepest level listed (1 categories .. 3 volumes)
};

// The rows of top's subtree in contents order: top itself unless it is the
// root (level 0), then its descendants down to maxLevel. Nodes without a
// page found and without a marked occurrence are left out.
std::vector<DistributionRow> Distribute(const ContentsNodeTag& top, const DistributionQuery& query);

// One row for a node (whether or not anything was found in it).
DistributionRow FiguresOfNode(const ContentsNodeTag& node, const DistributionQuery& query);

// The names from the category down to node, joined by "/" (UTF-8).
std::string NodePath(const ContentsNodeTag& node);

} // namespace vesk
