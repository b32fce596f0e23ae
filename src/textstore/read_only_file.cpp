#include "textstore/read_only_file.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace vesk {

ReadOnlyFile::ReadOnlyFile(ReadOnlyFile&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}

ReadOnlyFile& ReadOnlyFile::operator=(ReadOnlyFile&& other) noexcept
{
    if (this != &other) {
        Close();
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

bool ReadOnlyFile::Open(const std::filesystem::path& path)
{
    Close();
    // O_NONBLOCK so that opening a FIFO put in place of a data file does
    // not wait for a writer; it is refused below like any non-regular file,
    // and a regular file's reads do not depend on the flag.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    m_fd = fd;
    return true;
}

void ReadOnlyFile::Close()
{
    if (m_fd >= 0)
        ::close(std::exchange(m_fd, -1));
}

std::int64_t ReadOnlyFile::Size() const
{
    struct stat st {};
    if (m_fd < 0 || ::fstat(m_fd, &st) != 0)
        return -1;
    return st.st_size;
}

bool ReadOnlyFile::ReadAt(std::uint64_t offset, std::span<std::uint8_t> buffer) const
{
    if (m_fd < 0)
        return false;
    std::size_t done = 0;
    while (done < buffer.size()) {
        const ssize_t n = ::pread(m_fd, buffer.data() + done, buffer.size() - done,
                                  static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool ReadOnlyFile::ReadToEnd(std::string& bytes) const
{
    return ReadPrefix(SIZE_MAX, bytes);
}

bool ReadOnlyFile::ReadPrefix(std::size_t maxBytes, std::string& bytes) const
{
    bytes.clear();
    if (m_fd < 0)
        return false;
    constexpr std::size_t kMinimumRoom = 65536;
    const std::int64_t size = Size();
    // Room for the whole file and one more byte, so that the end usually
    // shows in the second read.
    std::size_t room = size > 0 ? static_cast<std::size_t>(size) + 1 : kMinimumRoom;
    room = std::min(room, maxBytes);
    std::size_t done = 0;
    while (done < maxBytes) {
        if (room - done == 0)
            room = std::min(room + std::max(room / 2, kMinimumRoom), maxBytes);
        bytes.resize(room);
        const ssize_t n = ::pread(m_fd, bytes.data() + done, room - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            bytes.clear();
            return false;
        }
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    bytes.resize(done);
    return true;
}

} // namespace vesk
