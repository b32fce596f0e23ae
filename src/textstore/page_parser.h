#pragma once
// Decomposition of a stored page. Both scanners work on raw bytes and look
// only at a handful of tags, matched byte for byte and case-sensitively:
//   ParsePage         page -> title, first cell, second cell
//   FilterAnnotations cell -> alternating main-text / annotation stretches
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vesk {

// One part of a parsed page; kind is always 2 for the parser's nodes.
struct HTMLNode {
    std::string text;
    std::int32_t kind = 2;
};

// One stretch of a cell's text: kind 0 main text, 1 annotation.
struct FilterItem {
    std::string text;
    std::int32_t kind = 0;
};

using HTMLNodes = std::vector<std::unique_ptr<HTMLNode>>;
using FilterItems = std::vector<std::unique_ptr<FilterItem>>;

inline constexpr std::string_view kAnnotationOpenTag = "<font size=-1 color=\"#993366\">";
inline constexpr std::string_view kAnnotationCloseTag = "</font>";

// Appends exactly three nodes to out: title (0), first cell (1), second cell
// (2). Never fails: a page without the expected tags gives empty nodes. When
// cellsOpened is given it receives how many cells were opened by a "<TD" tag
// (0, 1 or 2), so that an absent cell can be told from an empty one.
void ParsePage(std::string_view page, HTMLNodes& out, int* cellsOpened = nullptr);

// Appends the items of a cell's text to out, starting with a main-text item
// (which may be empty). Never fails.
void FilterAnnotations(std::string_view cell, FilterItems& out);
inline void FilterAnnotations(const HTMLNode& node, FilterItems& out)
{
    FilterAnnotations(node.text, out);
}

// Index of the node that holds a page's running text: the first cell for an
// even page number, the second for an odd one.
inline std::size_t TextCellIndex(std::int64_t pageNumber)
{
    return pageNumber % 2 == 0 ? 1 : 2;
}

} // namespace vesk
