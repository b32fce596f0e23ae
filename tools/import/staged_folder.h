#pragma once
// A folder written under a temporary name beside its final place and put
// there in one step, so that nothing under the final name is ever half
// written:
//   - the temporary folder ".NAME.import-XXXXXX" is made by mkdtemp (new,
//     never through a link) and locked (flock) while its import runs;
//   - Commit flushes the file system, then renames it onto the final name:
//     a missing or empty folder is replaced by rename(2), an earlier import
//     (with --force) by one exchange (renameat2 RENAME_EXCHANGE), after
//     which the old folder is removed;
//   - Abandon removes it; temporary folders that an interrupted import left
//     behind (no longer locked) are removed by the next import to the same name.
#include <filesystem>
#include <functional>
#include <string>

namespace vesk::import {

class StagedFolder {
public:
    StagedFolder() = default;
    StagedFolder(const StagedFolder&) = delete;
    StagedFolder& operator=(const StagedFolder&) = delete;
    ~StagedFolder();

    // Checks the final place and makes the temporary folder. The final
    // place must be missing or an empty folder; with replace, also a folder
    // that isOurs accepts. False with a one-line error.
    bool Prepare(const std::filesystem::path& target, bool replace,
                 const std::function<bool(const std::filesystem::path&)>& isOurs, std::string& error);
    const std::filesystem::path& temp() const { return m_temp; }
    const std::filesystem::path& target() const { return m_target; }

    bool Commit(std::string& error);
    void Abandon();

private:
    std::filesystem::path m_target, m_temp;
    int m_lockFd = -1;
    bool m_exchange = false;
    bool m_committed = false;
};

// Removes the unlocked temporary folders of earlier imports to target.
void RemoveStaleTemporaries(const std::filesystem::path& target);

} // namespace vesk::import
