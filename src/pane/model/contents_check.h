#pragma once
// A full check of "kav.dir" against the page store, for `vesk-tool check`:
// the records must form the tree the reader builds (a category first, each
// level at most one below the record before it, nothing deeper than a
// volume), the volumes must cover the page store's pages one after another
// in file order, every category and work must span exactly its volumes, and
// the page number in each stored page name must be the one its volume's
// record gives that position.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vesk {

class CFileList;

// Checks folder/"kav.dir". list is the open page store (its entries' names
// are compared with the volumes) or null when it cannot be opened; pageCount
// is its number of entries. Appends one line per problem (file, record or
// entry, offset, what disagrees); returns true when none was found.
bool CheckContentsFile(const std::filesystem::path& folder, const CFileList* list, std::uint32_t pageCount,
                       std::vector<std::string>& problems);

} // namespace vesk
