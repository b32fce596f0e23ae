#include "builder/output_file.h"

#include "fileio/exclusive_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace vesk::build {

OutputFile::~OutputFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_switched && !m_tempPath.empty()) {
        std::error_code ignored;
        std::filesystem::remove(m_tempPath, ignored);
    }
}

bool OutputFile::Fail(const char* what, std::string& error) const
{
    error = m_finalPath.string() + ": " + what + ": " + std::strerror(errno);
    return false;
}

bool OutputFile::Create(const std::filesystem::path& finalPath, const std::filesystem::path& tempPath,
                        std::string& error)
{
    m_finalPath = finalPath;
    m_fd = fileio::CreateExclusive(tempPath, error);
    if (m_fd < 0)
        return false;
    m_tempPath = tempPath;
    return true;
}

bool OutputFile::WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes,
                         std::string& error)
{
    const std::uint8_t* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::pwrite(m_fd, p, left, static_cast<off_t>(offset));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return Fail("cannot write", error);
        }
        p += n;
        left -= static_cast<std::size_t>(n);
        offset += static_cast<std::uint64_t>(n);
    }
    return true;
}

bool OutputFile::Append(std::span<const std::uint8_t> bytes, std::string& error)
{
    if (!WriteAt(m_appendOffset, bytes, error))
        return false;
    m_appendOffset += bytes.size();
    return true;
}

bool OutputFile::Append(std::string_view bytes, std::string& error)
{
    return Append(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()),
                  error);
}

bool OutputFile::Resize(std::uint64_t size, std::string& error)
{
    if (::ftruncate(m_fd, static_cast<off_t>(size)) != 0)
        return Fail("cannot set the length", error);
    return true;
}

bool OutputFile::Close(std::string& error)
{
    const int fd = m_fd;
    m_fd = -1;
    if (fd >= 0 && ::fsync(fd) != 0) {
        const int code = errno;
        ::close(fd);
        errno = code;
        return Fail("cannot sync", error);
    }
    if (fd >= 0 && ::close(fd) != 0)
        return Fail("cannot close", error);
    return true;
}

} // namespace vesk::build
