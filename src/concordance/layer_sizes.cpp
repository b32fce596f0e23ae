#include "concordance/layer_sizes.h"

#include "concordance/plain_text.h"
#include "textstore/code_converter.h"
#include "textstore/hit_page.h"
#include "textstore/page_parser.h"

#include <algorithm>

namespace vesk {
namespace {

// Code points of UTF-8 text that have an index key. A malformed sequence
// counts as nothing.
std::uint64_t KeyedCharacters(std::string_view text)
{
    std::uint64_t count = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        if (length > text.size() - i)
            break;
        std::uint32_t codePoint = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k)
            codePoint = (codePoint << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        if (length > 1 || lead < 0x80)
            count += CodePointToSlot(codePoint) >= 0 ? 1 : 0;
        i += length;
    }
    return count;
}

} // namespace

PageLayerCounts CountPageLayers(std::string_view storedPage, std::int32_t pageNumber)
{
    HTMLNodes nodes;
    ParsePage(storedPage, nodes);
    FilterItems items;
    FilterAnnotations(*nodes[TextCellIndex(pageNumber)], items);
    PageLayerCounts counts;
    std::string plain;
    for (const auto& item : items) {
        plain.clear();
        AppendPlainText(item->text, plain);
        (item->kind == 1 ? counts.annotations : counts.main) += KeyedCharacters(plain);
    }
    return counts;
}

bool LayerSizes::Compute(const CFileList& pages, const std::function<bool()>& keepGoing)
{
    constexpr std::uint32_t kAskEvery = 256;
    const std::uint32_t count = pages.GetRecordCount();
    std::vector<std::uint64_t> main{0};
    std::vector<std::uint64_t> annotations{0};
    main.reserve(std::size_t{count} + 1);
    annotations.reserve(std::size_t{count} + 1);
    std::string page;
    std::string name;
    for (std::uint32_t id = 0; id < count; ++id) {
        if (id % kAskEvery == 0 && keepGoing && !keepGoing())
            return false;
        PageLayerCounts counts;
        if (pages.ReadRecord(id, page) && pages.ReadFileName(id, name))
            counts = CountPageLayers(page, CFileList::PageNumberFromName(name).value_or(0));
        main.push_back(main.back() + counts.main);
        annotations.push_back(annotations.back() + counts.annotations);
    }
    m_main = std::move(main);
    m_annotations = std::move(annotations);
    return true;
}

std::uint64_t LayerSizes::Characters(std::uint64_t first, std::uint64_t end, std::int32_t target) const
{
    const std::uint64_t pages = Pages();
    end = std::min(end, pages);
    if (first >= end)
        return 0;
    const std::uint64_t main = m_main[end] - m_main[first];
    const std::uint64_t annotations = m_annotations[end] - m_annotations[first];
    if (target == kTargetMain)
        return main;
    if (target == kTargetAnnotations)
        return annotations;
    return main + annotations;
}

} // namespace vesk
