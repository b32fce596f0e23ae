#pragma once
// A private folder for one fuzz process: inputs that are files (a data
// folder, a contents file, a source corpus) are written here before they are
// read. It lies in /dev/shm when that exists, so writing is cheap, and is
// removed with its contents when the process ends normally.
#include <filesystem>
#include <string_view>

namespace vesk::fuzz {

class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }

    // Writes bytes to the file name inside the folder (replacing it); when
    // scramble is set every byte is XORed with it first.
    void Write(std::string_view name, std::string_view bytes, unsigned char scramble = 0) const;
    void Remove(std::string_view name) const;
    // Removes everything inside the folder.
    void Clear() const;

private:
    std::filesystem::path m_path;
};

} // namespace vesk::fuzz
