#pragma once
// Optional files of a data folder (docs/formats.md, "Optional files"): files
// beside the index files that make reading faster or richer. Each kind says
// how to read the generation id a file recorded and how to validate its
// contents; `vesk-tool check` walks the kinds this program knows.
//
// Adding one to a folder that was built without it:
//
//   fileio::FolderLock lock;                  // one writer per folder
//   DataFolderSwitch change;
//   change.PrepareAddition(folder, error);    // keeps the marker's id and files
//   ... write the file to change.TemporaryPath(name), recording change.Id() ...
//   change.Switch({name}, error);             // the marker now lists it too
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vesk {

struct OptionalFileKind {
    std::string_view name; // its file name in the data folder
    // Reads the generation id the file at path recorded (a few bytes of its
    // header, not the whole file). False when it records none.
    bool (*recordedId)(const std::filesystem::path& path, std::string& id);
    // Validates the contents of the file at path against the folder it sits
    // in; one line per finding, each starting with the file's name.
    void (*validate)(const std::filesystem::path& folder, const std::filesystem::path& path,
                     std::vector<std::string>& problems);
};

// Optional files registered here for the generic walk of `vesk-tool check`.
// The pair files and the page-count files of the index layers are not: they
// are validated by their own checks (engine/pair_index_check.h,
// engine/page_count_index_check.h), which `check` calls beside this walk.
std::span<const OptionalFileKind> KnownOptionalFiles();

// Checks each kind present in folder. One that is current
// (OptionalFileIsCurrent) is validated, and what is wrong with it goes into
// problems: readers use it, so it changes answers. One that is not current
// goes into notes with the reason: readers ignore it and the next build or
// tool that writes it replaces it.
void CheckOptionalFiles(const std::filesystem::path& folder, std::span<const OptionalFileKind> kinds,
                        std::vector<std::string>& problems, std::vector<std::string>& notes);

} // namespace vesk
