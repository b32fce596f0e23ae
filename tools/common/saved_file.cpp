#include "common/saved_file.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vesk::tool {
namespace {

namespace fs = std::filesystem;

bool WriteAll(int fd, std::string_view bytes)
{
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

bool Fail(const fs::path& path, int error, std::string& message)
{
    message = "cannot write " + path.string() + ": " + std::strerror(error);
    return false;
}

// Devices and FIFOs are written where they are.
bool WriteInPlace(const fs::path& path, const fs::path& target, std::string_view bytes, std::string& error)
{
    const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return Fail(path, errno, error);
    const bool written = WriteAll(fd, bytes);
    const int writeError = errno;
    if (::close(fd) != 0 && written)
        return Fail(path, errno, error);
    if (!written)
        return Fail(path, writeError, error);
    return true;
}

// Names of devices and of a process's open files (/dev/stdout, /dev/fd/3,
// /proc/self/fd/1) stand for what they lead to, even a regular file a shell
// opened: they are written in place.
bool IsSystemName(const fs::path& path)
{
    const std::string text = path.lexically_normal().string();
    return text.starts_with("/dev/") || text.starts_with("/proc/");
}

mode_t NewFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// The folder's entry for the new name reaches the disk too.
void SyncFolder(const fs::path& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

bool WriteBesideAndRename(const fs::path& path, const fs::path& target, mode_t mode, std::string_view bytes,
                          std::string& error)
{
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::string hidden(".");
    hidden.append(target.filename().string()).append(".XXXXXX");
    std::string temp = (folder / hidden).string();
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC); // O_CREAT | O_EXCL: never an existing file or link
    if (fd < 0)
        return Fail(path, errno, error);
    const bool ok = WriteAll(fd, bytes) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    int failure = errno;
    const bool closed = ::close(fd) == 0;
    if (ok && !closed)
        failure = errno;
    if (!ok || !closed || ::rename(temp.c_str(), target.c_str()) != 0) {
        if (ok && closed)
            failure = errno;
        ::unlink(temp.c_str());
        return Fail(path, failure, error);
    }
    SyncFolder(folder);
    return true;
}

} // namespace

bool SaveFile(const fs::path& path, std::string_view bytes, std::string& error)
{
    struct stat st {};
    struct stat link {};
    const bool isLink = ::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode);
    if (::stat(path.c_str(), &st) != 0) { // nothing there, or a link to nothing
        if (errno != ENOENT)
            return Fail(path, errno, error);
        std::error_code ec;
        const fs::path target = isLink ? fs::weakly_canonical(path, ec) : path;
        if (ec)
            return Fail(path, ec.value(), error);
        return WriteBesideAndRename(path, target, NewFileMode(), bytes, error);
    }
    if (S_ISDIR(st.st_mode))
        return Fail(path, EISDIR, error);
    if (!S_ISREG(st.st_mode) || IsSystemName(path)) // through a link too: /dev/stdout stays what it is
        return WriteInPlace(path, path, bytes, error);
    if (::access(path.c_str(), W_OK) != 0) // a file its owner keeps from writing stays as it is
        return Fail(path, errno, error);
    fs::path target = path;
    if (isLink) {
        std::error_code ec;
        target = fs::canonical(path, ec);
        if (ec)
            return Fail(path, ec.value(), error);
    }
    return WriteBesideAndRename(path, target, st.st_mode & 07777, bytes, error);
}

} // namespace vesk::tool
