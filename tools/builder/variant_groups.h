#pragma once
// The variant table "yitizi.txt" as the index sees it: one group per
// non-empty line (lines end at LF), members as hexadecimal code points
// separated by commas, read like strtoul base 16 (leading blanks and "0x"
// accepted, reading stops at the first non-hex character, no digits gives 0).
// Group g has the key 88065 + g. A character belongs to the first group that
// lists it, as the reader's lookup decides.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vesk::build {

inline constexpr std::uint32_t kFirstGroupKey = 88065;
inline constexpr std::uint32_t kKeyCount = 100000;
inline constexpr std::uint32_t kMaxGroups = kKeyCount - kFirstGroupKey; // 11935

// Parses the table into groups of code points, in line order.
std::vector<std::vector<std::uint32_t>> ParseVariantTable(std::string_view table);

// For every character slot, the group number that holds it, or -1. False with
// an error when the table has more groups than there are group keys.
bool GroupOfSlot(std::string_view table, std::vector<std::int32_t>& groupOfSlot,
                 std::string& error);

} // namespace vesk::build
