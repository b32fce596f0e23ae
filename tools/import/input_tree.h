#pragma once
// The files of one input, in the order they are imported, with the folders
// that lead to them. Entries are ordered by a leading number when they have
// one (which is then dropped from the name: "01 學而.txt" is 學而), then by
// name; hidden entries are passed over, as are files of other kinds.
#include <filesystem>
#include <string>
#include <vector>

namespace vesk::import {

struct InputFile {
    std::filesystem::path path;
    std::vector<std::string> folders;  // display names of the folders below the input
    std::string name;                  // display name of the file (no extension, no number)
};

// The display name of a file or folder name: the extension (for files) and
// a leading number with its separator dropped; the whole stem when nothing
// else would be left.
std::string DisplayName(const std::filesystem::path& entry, bool isFile);

// Lists the files ending in extension (".txt", any case) under input (a file
// or a folder), at most maxDepth folders deep. depth is the deepest level
// found; every file must lie at that depth. False with error naming the
// path otherwise, or when there is no such file.
bool ScanInput(const std::filesystem::path& input, const std::string& extension, int maxDepth,
               std::vector<InputFile>& files, int& depth, std::string& error);

} // namespace vesk::import
