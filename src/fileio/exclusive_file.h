#pragma once
// Files written all or nothing: the new bytes go into a temporary file beside
// the target, created exclusively and never through a symlink
// (O_CREAT | O_EXCL | O_NOFOLLOW), every write checked, the file synced and
// closed, then renamed over the target and the folder synced. A reader sees
// the old file or the complete new one, never a mix; a failure leaves the
// target as it was and removes the temporary file. Errors are one line that
// names the file and the failing step.
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace vesk::fileio {

// Creates path for writing, exclusively: fails when anything (a leftover, a
// planted symlink, a folder) already has the name. Returns the descriptor,
// or -1 with error set.
int CreateExclusive(const std::filesystem::path& path, std::string& error);

// Removes path when it is a file or a symlink (a symlink itself, never what
// it leads to); a missing path is fine. False with error set otherwise.
bool RemoveLeftover(const std::filesystem::path& path, std::string& error);

// fsync of a folder, so that renames and removals in it are on disk.
bool SyncFolder(const std::filesystem::path& folder, std::string& error);

// Writes all of bytes to fd at its current offset (retrying short writes).
bool WriteAll(int fd, std::span<const std::uint8_t> bytes);

// One file written beside its target and renamed over it by Commit.
class AtomicFile {
public:
    AtomicFile() = default;
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    ~AtomicFile(); // an uncommitted temporary file is closed and removed

    // Creates a temporary file named target + ".partial-<unique>" beside
    // target, so that several writers of one target never share it.
    bool Create(const std::filesystem::path& target, std::string& error);
    bool Write(std::string_view bytes, std::string& error);
    // Syncs and closes the temporary file, renames it over target and
    // syncs the folder.
    bool Commit(std::string& error);

private:
    bool Fail(const char* what, std::string& error) const;

    int m_fd = -1;
    std::filesystem::path m_target;
    std::filesystem::path m_temp;
};

// The whole of bytes written to target through an AtomicFile.
bool WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes, std::string& error);

} // namespace vesk::fileio
