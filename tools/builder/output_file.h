#pragma once
// A data file being written: created exclusively (never through a symlink)
// under a temporary name beside its final name; the data folder's switch
// (datafolder/data_folder_switch.h) renames it into place, so a failed build
// never leaves a half-written file under a data file's name. Errors are one
// line naming the file.
//
// A large file is written behind: every 32 MiB written past what was handed
// to the disk is handed to it, and the window before that, once on disk, is
// let go of from the page cache. A build writes several times the machine's
// spare memory at a large corpus; kept in the cache, those pages push out
// everything else and each new page of cache costs more than the copy
// itself. Writes need not be in order: what lands behind the windows stays
// dirty until Close, which syncs the whole file.
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace vesk::build {

class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile(); // closes and removes the temporary file unless switched in

    // Creates tempPath, the temporary file for finalPath, exclusively.
    bool Create(const std::filesystem::path& finalPath, const std::filesystem::path& tempPath,
                std::string& error);
    // Appends bytes at the current end of what Append has written.
    bool Append(std::span<const std::uint8_t> bytes, std::string& error);
    bool Append(std::string_view bytes, std::string& error);
    // Writes bytes at an absolute offset (the gaps between writes stay holes).
    bool WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes, std::string& error);
    // Sets the file's length; growing leaves a hole.
    bool Resize(std::uint64_t size, std::string& error);
    // Syncs and closes the temporary file, ready to be switched in.
    bool Close(std::string& error);
    // The temporary file has been renamed to its final name: nothing to remove.
    void MarkSwitched() { m_switched = true; }

    const std::filesystem::path& finalPath() const { return m_finalPath; }

private:
    bool Fail(const char* what, std::string& error) const;
    bool WriteBehind(std::string& error);

    int m_fd = -1;
    std::uint64_t m_appendOffset = 0;
    std::uint64_t m_writtenTo = 0; // the end of the furthest write
    std::uint64_t m_handedTo = 0;  // writeback started for [0, m_handedTo)
    std::uint64_t m_droppedTo = 0; // on disk and let go of: [0, m_droppedTo)
    bool m_writeBehind = true;     // off where the file system refuses it
    bool m_switched = false;
    std::filesystem::path m_finalPath;
    std::filesystem::path m_tempPath;
};

} // namespace vesk::build
