#pragma once
// One writer per folder: an exclusive flock on the folder itself, held while
// the object lives and released when the process ends in any way (no lock
// file is left behind to go stale). Readers take no lock; writers that
// switch files in one step (data_folder_switch.h) keep them safe.
#include <filesystem>
#include <string>

namespace vesk::fileio {

class FolderLock {
public:
    FolderLock() = default;
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    ~FolderLock();

    // Locks folder without waiting. False with error set when another
    // writer holds it ("... is being written by another program") or the
    // folder cannot be opened.
    bool Acquire(const std::filesystem::path& folder, std::string& error);
    bool IsHeld() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

} // namespace vesk::fileio
