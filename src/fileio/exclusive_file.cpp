#include "fileio/exclusive_file.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace vesk::fileio {
namespace {

std::string Describe(const std::filesystem::path& path, const char* what, int code)
{
    return path.string() + ": " + what + ": " + std::strerror(code);
}

// A suffix no other writer picks: process id, a counter and random bits.
std::string UniqueSuffix()
{
    static std::atomic<unsigned> counter{0};
    static const unsigned long long seed = [] {
        std::random_device device;
        return (static_cast<unsigned long long>(device()) << 32) ^ device();
    }();
    char text[64];
    std::snprintf(text, sizeof text, ".partial-%ld-%u-%08llx", static_cast<long>(::getpid()), counter++,
                  seed & 0xFFFFFFFFull);
    return text;
}

} // namespace

int CreateExclusive(const std::filesystem::path& path, std::string& error)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0)
        error = Describe(path, errno == EEXIST ? "cannot create (the name is taken)" : "cannot create", errno);
    return fd;
}

bool RemoveLeftover(const std::filesystem::path& path, std::string& error)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return errno == ENOENT || (error = Describe(path, "cannot examine", errno), false);
    if (S_ISDIR(st.st_mode)) {
        error = path.string() + ": a folder has the name of a temporary file; remove it";
        return false;
    }
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
        error = Describe(path, "cannot remove", errno);
        return false;
    }
    return true;
}

bool SyncFolder(const std::filesystem::path& folder, std::string& error)
{
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        error = Describe(folder, "cannot open the folder", errno);
        return false;
    }
    const bool synced = ::fsync(fd) == 0 || errno == EINVAL; // some file systems cannot sync folders
    const int code = errno;
    ::close(fd);
    if (!synced)
        error = Describe(folder, "cannot sync the folder", code);
    return synced;
}

bool WriteAll(int fd, std::span<const std::uint8_t> bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            return false;
        }
        bytes = bytes.subspan(static_cast<std::size_t>(n));
    }
    return true;
}

AtomicFile::~AtomicFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_temp.empty())
        ::unlink(m_temp.c_str());
}

bool AtomicFile::Fail(const char* what, std::string& error) const
{
    error = Describe(m_target, what, errno);
    return false;
}

bool AtomicFile::Create(const std::filesystem::path& target, std::string& error)
{
    m_target = target;
    for (int attempt = 0; attempt < 16; ++attempt) {
        std::filesystem::path temp = target;
        temp += UniqueSuffix();
        m_fd = CreateExclusive(temp, error);
        if (m_fd >= 0) {
            m_temp = std::move(temp);
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    return false;
}

bool AtomicFile::Write(std::string_view bytes, std::string& error)
{
    if (m_fd < 0 || !WriteAll(m_fd, {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}))
        return Fail("cannot write", error);
    return true;
}

bool AtomicFile::Commit(std::string& error)
{
    if (m_fd < 0)
        return Fail("cannot write", error);
    if (::fsync(m_fd) != 0)
        return Fail("cannot sync", error);
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0)
        return Fail("cannot close", error);
    if (::rename(m_temp.c_str(), m_target.c_str()) != 0)
        return Fail("cannot rename into place", error);
    m_temp.clear();
    return SyncFolder(m_target.parent_path(), error);
}

bool WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes, std::string& error)
{
    AtomicFile file;
    return file.Create(target, error) && file.Write(bytes, error) && file.Commit(error);
}

} // namespace vesk::fileio
