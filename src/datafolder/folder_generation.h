#pragma once
// The generation marker "vesk-generation" of a data folder: which build the
// folder's files belong to and whether that build finished switching them
// into place (docs/formats.md, "Generation marker").
//
//   vesk data folder generation 1
//   state complete            (or "switching" while files are being renamed)
//   id 3f09c2d4a1b87e65       (16 hex digits, new with every build)
//   file Index-fl.h 32668     (one line per file of the build: name, size)
//   ...
//
// A builder writes the marker "switching" before it renames the first file
// and "complete" after the last, each time all at once (fileio/exclusive_file.h).
// Readers check it before and after opening their files: a marker that says
// "switching", cannot be read, lists a file whose size differs, or changes
// while the files are being opened means the files may come from two builds,
// and the folder is refused. A folder without a marker (older builds, test
// folders written file by file) is read as it is.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vesk {

inline constexpr std::string_view kGenerationFileName = "vesk-generation";

struct FolderGeneration {
    bool switching = false;
    std::string id;
    std::vector<std::pair<std::string, std::uint64_t>> files; // name, size in bytes
};

std::string FormatGeneration(const FolderGeneration& generation);
// False with problem set when bytes are not a marker.
bool ParseGeneration(std::string_view bytes, FolderGeneration& generation, std::string& problem);

// A new generation id: 16 lowercase hexadecimal digits from random bits.
std::string NewGenerationId();

// The files every data folder has (the page store, contents, variant table
// and the three index layers). Any other file a marker lists is optional.
bool IsRequiredDataFile(std::string_view name);

// Which listed files CheckFolderGeneration holds to their listed sizes:
// readers need the required ones only (they ignore an optional file that is
// missing or not of its listed size); `check` holds every one.
enum class ListedFiles { required, all };

// Checks folder against its marker. True when there is no marker, or it is
// complete and every file it lists (of those named by which) has its listed
// size. markerBytes receives the marker as read (empty without one), so that
// a caller can see whether it changed meanwhile. False with one line in
// problem otherwise.
bool CheckFolderGeneration(const std::filesystem::path& folder, std::string& markerBytes, std::string& problem,
                           ListedFiles which = ListedFiles::required);

// Reads the marker's bytes as they stand (empty when there is none). False
// with problem set when a marker exists but cannot be read.
bool ReadGenerationMarker(const std::filesystem::path& folder, std::string& markerBytes, std::string& problem);

// Opens the files of a data folder under the marker's watch: open(marker)
// does the opening, given the marker's bytes as checked (empty without a
// marker), and returns whether it succeeded. The folder is checked against
// the marker before; afterwards the marker is read again, and the opening is
// repeated (up to three times) when it changed meanwhile: a build writes a
// new marker before it renames its first file, so an unchanged marker means
// the files opened are the ones checked. False with problem set when the
// folder is refused; open's own failure is returned as false with problem
// empty.
template <typename OpenFn>
bool OpenUnderGeneration(const std::filesystem::path& folder, OpenFn&& open, std::string& problem)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        std::string before, after;
        if (!CheckFolderGeneration(folder, before, problem))
            return false;
        if (!open(std::string_view(before)))
            return problem.clear(), false;
        if (!ReadGenerationMarker(folder, after, problem))
            return false;
        if (after == before)
            return true;
    }
    problem = std::string(kGenerationFileName) + ": the folder kept changing while it was opened";
    return false;
}

// Optional files (formats.md, "Optional files") record the generation id of
// the folder they were made for. Such a file may be used only when the
// folder's marker is complete, lists it with its present size and has the id
// it recorded; otherwise readers ignore it.
bool OptionalFileIsCurrent(const std::filesystem::path& folder, std::string_view name, std::string_view recordedId);
// The same against marker bytes the caller has checked the folder with
// (CheckFolderGeneration): only the optional file itself is looked at.
bool OptionalFileIsCurrent(const std::filesystem::path& folder, std::string_view markerBytes, std::string_view name,
                           std::string_view recordedId);

} // namespace vesk
