#pragma once
// A whole file mapped read-only into memory, unmapped on destruction.
// An empty file maps to an empty span.
//
// A file cut short while mapped makes a read past its new end raise SIGBUS.
// The data folder's index files are mapped all the same: the builder
// replaces a file by renaming a new one into place, which leaves a mapping
// of the old file whole; a data folder rewritten in place under a running
// reader (copied over with cp, say) is not supported. Values read from a
// mapping are copied once and then checked, so that a file changed in place
// gives wrong answers at worst, never a read outside the mapping.
#include "textstore/read_only_file.h"

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
    // Maps the whole of an open file, at its size now; false when it cannot
    // be mapped. The mapping outlives the descriptor.
    bool Map(const ReadOnlyFile& file);
    void Close();
    bool IsOpen() const { return m_bOpen; }
    std::span<const std::uint8_t> Bytes() const { return {m_pData, m_nSize}; }

private:
    const std::uint8_t* m_pData = nullptr;
    std::size_t m_nSize = 0;
    bool m_bOpen = false;
};

} // namespace vesk
