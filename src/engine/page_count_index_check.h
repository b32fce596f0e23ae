#pragma once
// A full walk of a layer's page-count file (page_count_index.h), for
// `vesk-tool check`: the header and key table, every stream's bounds and
// checksum, and every key's pages and counts against what its posting
// stream gives; keys listed without a stream and keys with a stream that
// are not listed. A page-count file of another build (optional files,
// docs/formats.md) is ignored by searches: it is named in a note, not as
// damage.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vesk {

// Checks folder/base + "-idx.counts" when it exists. Appends one line per
// problem to problems and per remark to notes; true when no problem was found.
bool CheckPageCountFile(const std::filesystem::path& folder, std::string_view base, std::vector<std::string>& problems,
                        std::vector<std::string>& notes);

} // namespace vesk
