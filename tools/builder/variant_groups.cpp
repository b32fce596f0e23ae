#include "builder/variant_groups.h"

#include "textstore/code_converter.h"
#include "textstore/split_pieces.h"

#include <cstdlib>

namespace vesk::build {

std::vector<std::vector<std::uint32_t>> ParseVariantTable(std::string_view table)
{
    std::vector<std::vector<std::uint32_t>> groups;
    ForEachPiece(table, '\n', [&](std::string_view line) {
        if (line.empty())
            return;
        std::vector<std::uint32_t> group;
        ForEachPiece(line, ',', [&](std::string_view piece) {
            if (piece.empty())
                return;
            const std::string field(piece);
            group.push_back(static_cast<std::uint32_t>(std::strtoul(field.c_str(), nullptr, 16)));
        });
        groups.push_back(std::move(group));
    });
    return groups;
}

bool GroupOfSlot(std::string_view table, std::vector<std::int32_t>& groupOfSlot,
                 std::string& error)
{
    const auto groups = ParseVariantTable(table);
    if (groups.size() > kMaxGroups) {
        error = "yitizi.txt: " + std::to_string(groups.size()) + " variant groups; at most " +
                std::to_string(kMaxGroups) + " fit the index keys";
        return false;
    }
    groupOfSlot.assign(kCharacterSlots, -1);
    for (std::size_t g = 0; g < groups.size(); ++g) {
        for (const std::uint32_t member : groups[g]) {
            const std::int32_t slot = CodePointToSlot(member);
            if (slot >= 0 && groupOfSlot[static_cast<std::size_t>(slot)] < 0)
                groupOfSlot[static_cast<std::size_t>(slot)] = static_cast<std::int32_t>(g);
        }
    }
    return true;
}

} // namespace vesk::build
