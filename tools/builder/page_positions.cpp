#include "builder/page_positions.h"

#include "builder/utf8_text.h"
#include "textstore/code_converter.h"
#include "textstore/page_parser.h"

namespace vesk::build {
namespace {

// Walks one item, counting positions from position on, and records keyed ones.
// The filter leaves only complete tags in an item; a "<" without its ">"
// cannot occur, and would end the item like an unfinished tag.
void ScanItem(std::string_view item, std::uint32_t& position, std::vector<KeyPosition>& out)
{
    std::size_t i = 0;
    while (i < item.size()) {
        if (item[i] == '<') {
            const std::size_t close = item.find('>', i + 1);
            if (close == std::string_view::npos)
                return;
            i = close + 1;
            ++position;
            continue;
        }
        const char32_t c = DecodeUtf8(item, i);
        if (c != kInvalidUtf8) {
            const std::int32_t slot = CodePointToSlot(c);
            if (slot >= 0)
                out.push_back({static_cast<std::uint32_t>(slot), position});
        }
        ++position;
    }
}

} // namespace

bool CollectPagePositions(std::string_view page, std::uint32_t pageNumber, PageLayers& layers)
{
    layers.whole.clear();
    layers.main.clear();
    layers.annotations.clear();

    HTMLNodes nodes;
    int cellsOpened = 0;
    ParsePage(page, nodes, &cellsOpened);
    const std::size_t textCell = TextCellIndex(pageNumber);
    FilterItems items;
    FilterAnnotations(*nodes[textCell], items);

    std::uint32_t whole = 0, main = 0, annotation = 0;
    bool firstAnnotation = true;
    for (std::size_t k = 0; k < items.size(); ++k) {
        const FilterItem& item = *items[k];
        if (k > 0)
            ++whole;
        ScanItem(item.text, whole, layers.whole);
        if (item.kind == 0) {
            ScanItem(item.text, main, layers.main);
        } else {
            if (!firstAnnotation)
                ++annotation;
            firstAnnotation = false;
            ScanItem(item.text, annotation, layers.annotations);
        }
    }
    return static_cast<std::size_t>(cellsOpened) >= textCell;
}

} // namespace vesk::build
