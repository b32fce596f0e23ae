#include "compare/layer_texts.h"

#include "builder/page_positions.h"
#include "engine/index.h"
#include "textstore/code_converter.h"
#include "textstore/file_list.h"

#include <fstream>

namespace vesk::bench {
namespace {

// Key -> code point, the inverse of CodePointToSlot.
std::vector<char32_t> CodePointsOfKeys()
{
    std::vector<char32_t> codePoints(kIndexKeys, 0);
    for (char32_t c = 0; c < 0x110000; ++c) {
        const std::int32_t slot = CodePointToSlot(c);
        if (slot >= 0 && static_cast<std::uint32_t>(slot) < kIndexKeys && codePoints[slot] == 0)
            codePoints[slot] = c;
    }
    return codePoints;
}

std::string LayerLine(const std::vector<build::KeyPosition>& positions, const std::vector<char32_t>& codePoints)
{
    std::string line;
    std::uint32_t next = 0;
    for (const build::KeyPosition& p : positions) {
        for (; next < p.position; ++next)
            AppendUtf8(U'\u3000', line);
        AppendUtf8(codePoints[p.key], line);
        next = p.position + 1;
    }
    return line;
}

} // namespace

bool ReadLayerTexts(const std::filesystem::path& folder, LayerTexts& texts)
{
    CFileList list;
    if (!list.Open(folder, "Index"))
        return false;
    const std::vector<char32_t> codePoints = CodePointsOfKeys();
    const std::uint32_t count = list.GetRecordCount();
    for (auto& layer : texts.pages)
        layer.assign(count, {});
    std::string page, name;
    build::PageLayers layers;
    for (std::uint32_t id = 0; id < count; ++id) {
        if (!list.ReadRecord(id, page) || !list.ReadFileName(id, name))
            return false;
        const auto number = CFileList::PageNumberFromName(name);
        build::CollectPagePositions(page, static_cast<std::uint32_t>(number.value_or(0)), layers);
        texts.pages[kIndexWhole][id] = LayerLine(layers.whole, codePoints);
        texts.pages[kIndexMain][id] = LayerLine(layers.main, codePoints);
        texts.pages[kIndexAnnotations][id] = LayerLine(layers.annotations, codePoints);
    }
    return true;
}

bool WriteLayerFile(const std::vector<std::string>& pages, const std::filesystem::path& file)
{
    std::ofstream out(file, std::ios::binary);
    for (const std::string& line : pages)
        out << line << '\n';
    return static_cast<bool>(out);
}

} // namespace vesk::bench
