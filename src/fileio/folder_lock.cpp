#include "fileio/folder_lock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace vesk::fileio {

FolderLock::~FolderLock()
{
    if (m_fd >= 0)
        ::close(m_fd); // releases the lock
}

bool FolderLock::Acquire(const std::filesystem::path& folder, std::string& error)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        error = folder.string() + ": cannot open the folder: " + std::strerror(errno);
        return false;
    }
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR)
            continue;
        const int code = errno;
        ::close(fd);
        error = code == EWOULDBLOCK
                    ? folder.string() + ": is being written by another program (the folder is locked); "
                                        "try again when it has finished"
                    : folder.string() + ": cannot lock the folder: " + std::strerror(code);
        return false;
    }
    m_fd = fd;
    return true;
}

} // namespace vesk::fileio
