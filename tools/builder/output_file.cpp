#include "builder/output_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace vesk::build {

OutputFile::~OutputFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_committed && !m_tempPath.empty()) {
        std::error_code ignored;
        std::filesystem::remove(m_tempPath, ignored);
    }
}

bool OutputFile::Fail(const char* what, std::string& error) const
{
    error = m_finalPath.string() + ": " + what + ": " + std::strerror(errno);
    return false;
}

bool OutputFile::Create(const std::filesystem::path& finalPath, std::string& error)
{
    m_finalPath = finalPath;
    m_tempPath = finalPath;
    m_tempPath += ".partial";
    m_fd = ::open(m_tempPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (m_fd < 0) {
        m_tempPath.clear();
        return Fail("cannot create", error);
    }
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
    if (fd >= 0 && ::close(fd) != 0)
        return Fail("cannot close", error);
    return true;
}

bool OutputFile::Commit(std::string& error)
{
    if (m_fd >= 0 && !Close(error))
        return false;
    std::error_code ec;
    std::filesystem::rename(m_tempPath, m_finalPath, ec);
    if (ec) {
        error = m_finalPath.string() + ": cannot rename into place: " + ec.message();
        return false;
    }
    m_committed = true;
    return true;
}

} // namespace vesk::build
