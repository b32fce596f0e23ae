#pragma once
// A whole file mapped read-only into memory, unmapped on destruction.
// An empty file maps to an empty span.
#include <cstdint>
#include <filesystem>
#include <span>

namespace vesk {

class MappedFile {
public:
    MappedFile() = default;
    ~MappedFile() { Close(); }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // Maps the whole file at path; false when it cannot be opened or mapped.
    bool Open(const std::filesystem::path& path);
    void Close();
    bool IsOpen() const { return m_bOpen; }
    std::span<const std::uint8_t> Bytes() const { return {m_pData, m_nSize}; }

private:
    const std::uint8_t* m_pData = nullptr;
    std::size_t m_nSize = 0;
    bool m_bOpen = false;
};

} // namespace vesk
