#pragma once
// A full walk of one index variant's posting files, for `vesk-tool check`:
// every key's stream is read record by record to its last page, and every
// fault is described (file, key, offset) instead of ending a search. The
// tables are checked against the streams: no record of a later page may
// follow a key's last-page entry, and every block of the posting data lies
// in the chain of exactly one key's stream (a first block or link into
// another stream, or blocks left over by a stream cut short, are named).
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
