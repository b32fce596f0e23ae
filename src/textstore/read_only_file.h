#pragma once
// A file opened for reading, closed on destruction. Reads are positioned
// (pread), so nothing depends on a current file offset.
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace vesk {

class ReadOnlyFile {
public:
    ReadOnlyFile() = default;
    ~ReadOnlyFile() { Close(); }
    ReadOnlyFile(ReadOnlyFile&& other) noexcept;
    ReadOnlyFile& operator=(ReadOnlyFile&& other) noexcept;
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    // Opens path for reading (regular files only; a FIFO or device is refused
    // without blocking); false when it cannot be opened.
    bool Open(const std::filesystem::path& path);
    void Close();
    bool IsOpen() const { return m_fd >= 0; }
    int Descriptor() const { return m_fd; }

    // Current length of the file, or -1 on error.
    std::int64_t Size() const;

    // Reads exactly buffer.size() bytes at offset; false on an error or a short read.
    bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> buffer) const;
    // Replaces bytes with the file from its start up to the end of file met
    // while reading (the file may have grown or shrunk since Size); false on
    // an error.
    bool ReadToEnd(std::string& bytes) const;
    // The same, stopping after maxBytes: a file of any size costs at most that.
    bool ReadPrefix(std::size_t maxBytes, std::string& bytes) const;

private:
    int m_fd = -1;
};

} // namespace vesk
