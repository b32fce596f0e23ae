#pragma once
// The variant-character groups of "yitizi.txt": one group per non-empty line,
// members separated by ",", each a hexadecimal code point (read as an unsigned
// base-16 conversion reads it: leading blanks, sign and "0x" accepted, stops
// at the first non-digit, no digits gives 0). Group g has the index key
// 88065 + g. A code point in several groups belongs to the first.
//
// Most searches never ask for variants, so the index opens the file when it
// opens and parses it only at the first lookup (LoadOnFirstUse): the bytes
// parsed are those of the file opened, even if it has been replaced since.
// Lookups may therefore fill the table from a const call; a table is not
// meant for use from several threads at once.
#include "textstore/read_only_file.h"

#include <cstdint>
#include <filesystem>
#include <string_view>
#include <utility>
#include <vector>

namespace vesk {

inline constexpr std::uint32_t kFirstVariantKey = 88065;

// Readers use at most the complete lines within the first 8 MiB of the table
// (a hundred times a full table): a larger file costs no more time or memory
// than that. The builder refuses a larger table and `vesk-tool check` names one.
inline constexpr std::size_t kMaxVariantTableBytes = 8u << 20;

// The part of a table's bytes that readers use: all of them when within
// kMaxVariantTableBytes, else the lines that end within that many bytes.
std::string_view UsableVariantBytes(std::string_view bytes);

using VariantGroups = std::vector<std::vector<std::uint32_t>>;

class VariantTable {
public:
    // Replaces the groups with those of folder/"yitizi.txt"; false (and no
    // groups) when the file cannot be read.
    bool Load(const std::filesystem::path& folder);
    // Drops the groups and opens folder/"yitizi.txt", to be read and parsed
    // by the first FindKey or Groups. The groups are then the same as Load
    // would have given at this call: none when the file cannot be opened or
    // read.
    void LoadOnFirstUse(const std::filesystem::path& folder);
    // Replaces the groups with those parsed from bytes.
    void Parse(std::string_view bytes);
    void Clear();

    // The key of the first group holding codePoint: 88065 + group number.
    // False and key untouched when no group holds it. The first lookups
    // after a parse walk the members in order; later ones search a table
    // sorted by code point, made once: a process that looks up the few
    // characters of one keyword does not pay for sorting the whole table.
    bool FindKey(std::uint32_t codePoint, std::uint32_t& key) const;

    const VariantGroups& Groups() const;

private:
    // Reads and parses the file opened by LoadOnFirstUse, if one waits;
    // false when it could not be read (the table is then empty).
    bool ParsePending() const;
    bool ReadAndParse(const ReadOnlyFile& file) const;
    void StartParse(std::size_t size) const;
    // Empties the table and parses bytes into it.
    void ParseInto(std::string_view bytes) const;
    // Appends the groups of bytes, which start at the start of a line.
    void ParseLines(std::string_view bytes) const;
    void SortLookup() const;

    mutable ReadOnlyFile m_pending; // open until its first lookup parses it
    // Every group's members in line order, group g at
    // [m_groupStarts[g], m_groupStarts[g + 1]): one flat table, so that
    // parsing costs few allocations.
    mutable std::vector<std::uint32_t> m_members;
    mutable std::vector<std::uint32_t> m_groupStarts{0};
    // (code point, first group holding it), ascending by code point, once
    // m_lookupSorted; until then m_lookups counts the walks.
    mutable std::vector<std::pair<std::uint32_t, std::uint32_t>> m_firstGroup;
    mutable bool m_lookupSorted = false;
    mutable std::uint32_t m_lookups = 0;
    // The groups as separate lists, made from the flat table when first
    // asked for: a search needs only the lookup.
    mutable VariantGroups m_groups;
    mutable bool m_groupsBuilt = true;
};

} // namespace vesk
