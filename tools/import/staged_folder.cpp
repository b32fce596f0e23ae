#include "import/staged_folder.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vesk::import {
namespace {

namespace fs = std::filesystem;

std::string TempPrefix(const fs::path& target)
{
    return "." + target.filename().string() + ".import-";
}

bool SyncFolder(const fs::path& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

} // namespace

void RemoveStaleTemporaries(const fs::path& target)
{
    const fs::path parent = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    const std::string prefix = TempPrefix(target);
    std::error_code ec;
    for (fs::directory_iterator it(parent, ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->path().filename().string().starts_with(prefix) || !it->is_directory(ec) || it->is_symlink(ec))
            continue;
        const int fd = ::open(it->path().c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            std::error_code removeError;
            fs::remove_all(it->path(), removeError);
        }
        ::close(fd);
    }
}

StagedFolder::~StagedFolder()
{
    if (!m_committed)
        Abandon();
    if (m_lockFd >= 0)
        ::close(m_lockFd);
}

bool StagedFolder::Prepare(const fs::path& target, bool replace,
                           const std::function<bool(const fs::path&)>& isOurs, std::string& error)
{
    m_target = target;
    while (m_target.has_filename() == false && m_target.has_parent_path() && m_target != m_target.parent_path())
        m_target = m_target.parent_path();  // "out/" names "out"
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(m_target, ec);
    if (fs::exists(status)) {
        if (fs::is_symlink(status)) {
            error = m_target.string() + " is a symbolic link; name the folder itself";
            return false;
        }
        if (!fs::is_directory(status)) {
            error = m_target.string() + " exists and is not a folder";
            return false;
        }
        if (!fs::is_empty(m_target, ec)) {
            if (!replace) {
                error = m_target.string() + " is not empty (--force replaces an earlier import)";
                return false;
            }
            if (!isOurs(m_target)) {
                error = m_target.string() + " is not empty and does not hold an earlier import; not replaced";
                return false;
            }
            m_exchange = true;
        }
    }
    RemoveStaleTemporaries(m_target);
    const fs::path parent = m_target.parent_path().empty() ? fs::path(".") : m_target.parent_path();
    std::string pattern = (parent / (TempPrefix(m_target) + "XXXXXX")).string();
    if (!::mkdtemp(pattern.data())) {
        error = pattern + ": cannot create a folder: " + std::strerror(errno);
        return false;
    }
    m_temp = pattern;
    m_lockFd = ::open(m_temp.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (m_lockFd < 0 || ::flock(m_lockFd, LOCK_EX) != 0) {
        error = m_temp.string() + ": cannot lock the folder: " + std::strerror(errno);
        Abandon();
        return false;
    }
    ::fchmod(m_lockFd, 0755);
    return true;
}

bool StagedFolder::Commit(std::string& error)
{
    if (::syncfs(m_lockFd) != 0) {
        error = m_temp.string() + ": cannot flush the files: " + std::strerror(errno);
        return false;
    }
    if (m_exchange) {
        if (::renameat2(AT_FDCWD, m_temp.c_str(), AT_FDCWD, m_target.c_str(), RENAME_EXCHANGE) != 0) {
            error = m_target.string() + ": cannot replace it: " + std::strerror(errno);
            return false;
        }
        // The temporary name now holds the earlier import.
        std::error_code ec;
        fs::remove_all(m_temp, ec);
    } else if (::rename(m_temp.c_str(), m_target.c_str()) != 0) {
        error = m_target.string() + ": cannot put the folder in place: " + std::strerror(errno);
        return false;
    }
    m_committed = true;
    SyncFolder(m_target.parent_path().empty() ? fs::path(".") : m_target.parent_path());
    return true;
}

void StagedFolder::Abandon()
{
    if (m_temp.empty() || m_committed)
        return;
    std::error_code ec;
    fs::remove_all(m_temp, ec);
    m_temp.clear();
}

} // namespace vesk::import
