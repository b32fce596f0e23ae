#pragma once
// A private folder for the sorted runs a build spills, created under the
// output folder when the first run is needed and removed with everything in
// it when the object goes: after a successful build, after a failed one, and
// (once RemoveSpillFoldersOnSignals has been called) when the process is
// ended by SIGINT, SIGTERM or SIGHUP. A build killed outright (SIGKILL)
// leaves it behind under its name ".vesk-build-runs-*"; the next build into
// the same folder removes it (RemoveStaleSpillFolders).
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>

namespace vesk::build {

class SpillFolder {
public:
    explicit SpillFolder(std::filesystem::path parent);
    SpillFolder(const SpillFolder&) = delete;
    SpillFolder& operator=(const SpillFolder&) = delete;
    ~SpillFolder();

    // The path for a new run file, creating the folder first if needed.
    // Safe to call from several threads.
    bool NewRunPath(std::filesystem::path& path, std::string& error);

private:
    std::mutex m_mutex;
    std::filesystem::path m_parent;
    std::filesystem::path m_folder; // empty until created
    std::uint32_t m_runs = 0;
};

// Removes the spill folders an earlier build into parent left behind (it was
// killed outright). Only for a caller that holds parent's writer lock, so no
// other build is spilling there; a folder that cannot be removed is left.
void RemoveStaleSpillFolders(const std::filesystem::path& parent);

// Installs handlers for SIGINT, SIGTERM and SIGHUP that remove the spill
// folder of the build in progress (its run files, then the folder) and then
// end the process by the same signal. For programs that build one data folder
// at a time (vesk-build); a library user keeps its own handlers.
void RemoveSpillFoldersOnSignals();

} // namespace vesk::build
