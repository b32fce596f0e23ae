#pragma once
// A full walk of one index variant's posting files, for `vesk-tool check`:
// every key's stream is read record by record to its last page, and every
// fault is described (file, key, offset) instead of ending a search.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vesk {

// Checks folder/base + "-idx.h" and "-idx.m". Page identifiers must lie below
// pageCount. Appends one line per problem; returns true when none was found.
bool CheckIndexFiles(const std::filesystem::path& folder, std::string_view base, std::uint32_t pageCount,
                     std::vector<std::string>& problems);

} // namespace vesk
