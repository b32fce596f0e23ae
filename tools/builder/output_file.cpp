#include "builder/output_file.h"

#include "fileio/exclusive_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace vesk::build {
namespace {

constexpr std::uint64_t kWriteBehindWindow = std::uint64_t{32} << 20;

} // namespace

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
    m_writtenTo = std::max(m_writtenTo, offset);
    return m_writtenTo < m_handedTo + kWriteBehindWindow || WriteBehind(error);
}

bool OutputFile::WriteBehind(std::string& error)
{
    if (!m_writeBehind)
        return true;
    // A file system without sync_file_range or the advice loses only the
    // write-behind; a failing disk fails the write.
    const auto refused = [&](const char* what) {
        if (errno == EIO || errno == ENOSPC || errno == EDQUOT)
            return Fail(what, error);
        m_writeBehind = false;
        return true;
    };
    if (::sync_file_range(m_fd, static_cast<off_t>(m_handedTo), static_cast<off_t>(m_writtenTo - m_handedTo),
                          SYNC_FILE_RANGE_WRITE) != 0)
        return refused("cannot write");
    if (m_droppedTo < m_handedTo) {
        const auto from = static_cast<off_t>(m_droppedTo);
        const auto length = static_cast<off_t>(m_handedTo - m_droppedTo);
        if (::sync_file_range(m_fd, from, length,
                              SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER) != 0)
            return refused("cannot write");
        if ((errno = ::posix_fadvise(m_fd, from, length, POSIX_FADV_DONTNEED)) != 0)
            return refused("cannot write");
        m_droppedTo = m_handedTo;
    }
    m_handedTo = m_writtenTo;
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
