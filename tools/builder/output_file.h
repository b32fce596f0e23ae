#pragma once
// A data file being written: created under a temporary name beside its final
// name and renamed into place only by Commit, so a failed build never leaves
// a half-written file under a data file's name. Errors are one line naming
// the file.
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
    ~OutputFile(); // closes and removes the temporary file unless committed

    // Creates (truncating) the temporary file for finalPath.
    bool Create(const std::filesystem::path& finalPath, std::string& error);
    // Appends bytes at the current end of what Append has written.
    bool Append(std::span<const std::uint8_t> bytes, std::string& error);
    bool Append(std::string_view bytes, std::string& error);
    // Writes bytes at an absolute offset (the gaps between writes stay holes).
    bool WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes, std::string& error);
    // Sets the file's length; growing leaves a hole.
    bool Resize(std::uint64_t size, std::string& error);
    // Closes the temporary file (after which Commit may rename it).
    bool Close(std::string& error);
    // Renames the closed temporary file to its final name.
    bool Commit(std::string& error);

    const std::filesystem::path& finalPath() const { return m_finalPath; }

private:
    bool Fail(const char* what, std::string& error) const;

    int m_fd = -1;
    std::uint64_t m_appendOffset = 0;
    bool m_committed = false;
    std::filesystem::path m_finalPath;
    std::filesystem::path m_tempPath;
};

} // namespace vesk::build
