#pragma once
// The variant-character groups of "yitizi.txt": one group per non-empty line,
// members separated by ",", each a hexadecimal code point (read as an unsigned
// base-16 conversion reads it: leading blanks, sign and "0x" accepted, stops
// at the first non-digit, no digits gives 0). Group g has the index key
// 88065 + g. A code point in several groups belongs to the first.
#include <cstdint>
#include <filesystem>
#include <string_view>
#include <utility>
#include <vector>

namespace vesk {

inline constexpr std::uint32_t kFirstVariantKey = 88065;

using VariantGroups = std::vector<std::vector<std::uint32_t>>;

class VariantTable {
public:
    // Replaces the groups with those of folder/"yitizi.txt"; false (and no
    // groups) when the file cannot be read.
    bool Load(const std::filesystem::path& folder);
    // Replaces the groups with those parsed from bytes.
    void Parse(std::string_view bytes);
    void Clear();

    // The key of the first group holding codePoint: 88065 + group number.
    // False and key untouched when no group holds it. A binary search; the
    // same answer as walking the groups and their members in order.
    bool FindKey(std::uint32_t codePoint, std::uint32_t& key) const;

    const VariantGroups& Groups() const { return m_groups; }

private:
    VariantGroups m_groups;
    // (code point, first group holding it), ascending by code point: one flat
    // table, so that loading the groups costs few allocations.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> m_firstGroup;
};

} // namespace vesk
