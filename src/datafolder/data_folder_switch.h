#pragma once
// Replacing the files of a data folder so that readers see the complete old
// set or the complete new one:
//
//   FolderLock lock;            // one writer per folder (fileio/folder_lock.h)
//   DataFolderSwitch change;
//   change.Prepare(folder, error);                  // clears leftovers
//   ... write each file to change.TemporaryPath(name), exclusively ...
//   change.Switch({"Index-fl.h", ...}, error);      // renames them in
//
// Switch writes the generation marker (folder_generation.h) as "switching"
// with the new files' sizes, renames every file into place, syncs the folder
// and writes the marker "complete". A writer killed between the two marker
// writes leaves a folder that readers refuse and `vesk-tool check` names,
// until the next build switches a complete set in. Optional files go into the
// same Switch as the files they were made from.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vesk {

// The suffix of a file being written under the builder's lock.
inline constexpr std::string_view kTemporarySuffix = ".partial";

// Files in folder that a writer left behind when it was stopped: names that
// end in ".partial" or hold ".partial-" (temporary files of fileio), sorted.
std::vector<std::string> FindWriteLeftovers(const std::filesystem::path& folder);

class DataFolderSwitch {
public:
    // Removes the leftovers of earlier writers in folder (the caller holds
    // the folder's lock, so none of them is being written) and chooses the
    // new generation id.
    bool Prepare(const std::filesystem::path& folder, std::string& error);
    // For a tool that adds files (optional ones) to a folder as it stands:
    // like Prepare, but the folder's marker must be complete and sound, and
    // its id and files are kept, so that Switch lists the added files beside
    // them. A folder without a marker cannot take optional files (nothing
    // could tell whose they are): build it again.
    bool PrepareAddition(const std::filesystem::path& folder, std::string& error);

    // Where the file name is written before the switch: name + ".partial".
    std::filesystem::path TemporaryPath(std::string_view name) const;
    // The new generation id, for optional files to record.
    const std::string& Id() const { return m_id; }

    // Moves the temporary files of names into place as one generation. After
    // PrepareAddition, names are optional files added to the generation:
    // they are renamed in while the marker does not list them, so the folder
    // stays readable throughout.
    bool Switch(const std::vector<std::string>& names, std::string& error);

private:
    // The marker: the kept files, then names when listNames.
    bool WriteMarker(bool switching, const std::vector<std::string>& names, bool listNames, std::string& error);
    bool RenameIntoPlace(const std::vector<std::string>& names, std::string& error);

    std::filesystem::path m_folder;
    std::string m_id;
    std::vector<std::uint64_t> m_sizes;
    std::vector<std::pair<std::string, std::uint64_t>> m_kept; // files of the generation added to
    bool m_adding = false;
};

} // namespace vesk
