#pragma once
// A full walk of a layer's pair file (pair_index.h), for `vesk-tool check`:
// the tables, every stream's checksum, records and marks. A pair file of
// another build (optional files, docs/formats.md) is ignored by searches:
// it is named in a note, not as damage.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vesk {

// Checks folder/base + "-idx.pairs" when it exists. Appends one line per
// problem to problems and per remark to notes; true when no problem was found.
bool CheckPairFile(const std::filesystem::path& folder, std::string_view base, std::uint32_t pageCount,
                   std::vector<std::string>& problems, std::vector<std::string>& notes);

} // namespace vesk
