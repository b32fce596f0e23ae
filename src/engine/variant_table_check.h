#pragma once
// The variant table "yitizi.txt" checked for `vesk-tool check`: what the
// loader would read differently from what the file says, and whether the
// table still matches the index files' group keys.
//
// The loader never fails on a table; it reads every field somehow. The check
// names the fields and groups it would misread or drop:
//
// - a member that is not a plain hexadecimal number (blanks, an optional
//   "+" and "0x" before the digits and blanks after them are fine): reading
//   stops at the first other character, a field without digits becomes 0 and
//   a "-" negates, so the member the loader keeps is not the one written;
// - a member that is not a Unicode scalar value (above 10FFFF, or a
//   surrogate D800..DFFF): no character has it;
// - more groups than the key tables hold: group g has key 88065 + g, so
//   groups from 11935 on have keys past 99999 and their characters find
//   nothing with variants;
// - postings under a group key past the table's last group in any of the
//   three index variants: the index was built with a longer table, and those
//   postings are out of reach (also the case when the file is missing).
//
// A missing file is named as well: the builder always writes "yitizi.txt"
// (empty when there are no variants), and without it the variant option
// silently does nothing. Members listed in an earlier group too are not a
// problem: the first group counts, for the loader and the builder alike.
#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vesk {

// Group keys 88065 .. 99999: the groups the key tables hold.
inline constexpr std::size_t kVariantGroupKeys = 11935;

// At most this many misread members are listed one by one; one more line
// counts the rest.
inline constexpr std::size_t kMaxListedMemberProblems = 100;

// Checks the bytes of a variant table. Appends one line per problem, each
// beginning "yitizi.txt", and sets groupCount to the number of groups the
// loader makes of them. True when none was found.
bool CheckVariantTableBytes(std::string_view bytes, std::vector<std::string>& problems, std::size_t& groupCount);

// Checks folder/"yitizi.txt" and the group keys of the three index variants'
// posting directories against it (directories that cannot be read are left
// to CheckIndexFiles). True when no problem was found.
bool CheckVariantTable(const std::filesystem::path& folder, std::vector<std::string>& problems);

} // namespace vesk
