#include "engine/mapped_file.h"

#include "textstore/read_only_file.h"

#include <sys/mman.h>

namespace vesk {

bool MappedFile::Open(const std::filesystem::path& path)
{
    Close();
    ReadOnlyFile file;
    return file.Open(path) && Map(file);
}

bool MappedFile::Map(const ReadOnlyFile& file)
{
    Close();
    const std::int64_t size = file.Size();
    if (size < 0 || static_cast<std::uint64_t>(size) > SIZE_MAX)
        return false;
    if (size > 0) {
        void* view = ::mmap(nullptr, static_cast<std::size_t>(size), PROT_READ, MAP_PRIVATE,
                            file.Descriptor(), 0);
        if (view == MAP_FAILED)
            return false;
        m_pData = static_cast<const std::uint8_t*>(view);
        m_nSize = static_cast<std::size_t>(size);
    }
    m_bOpen = true;
    return true;
}

void MappedFile::Close()
{
    if (m_pData)
        ::munmap(const_cast<std::uint8_t*>(m_pData), m_nSize);
    m_pData = nullptr;
    m_nSize = 0;
    m_bOpen = false;
}

} // namespace vesk
