#include "kept_files.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace vesk::fuzz {
namespace {

[[noreturn]] void Abort(const char* what, const std::filesystem::path& path)
{
    std::fprintf(stderr, "vesk fuzz: cannot %s %s\n", what, path.c_str());
    std::abort();
}

} // namespace

KeptFiles::File& KeptFiles::Entry(std::string_view name)
{
    auto it = m_files.find(name);
    if (it == m_files.end())
        it = m_files.emplace(std::string(name), File{}).first;
    return it->second;
}

void KeptFiles::Unlink(std::string_view name, File& file)
{
    if (file.kind == Kind::Absent)
        return;
    const std::filesystem::path path = m_folder / name;
    if (::unlink(path.c_str()) != 0 && errno != ENOENT)
        Abort("remove", path);
    file.kind = Kind::Absent;
}

void KeptFiles::Put(std::string_view name, std::string_view bytes, unsigned char scramble)
{
    File& file = Entry(name);
    if (file.kind == Kind::Bytes && file.scramble == scramble && file.bytes == bytes)
        return;
    if (file.kind == Kind::Link)
        Unlink(name, file);
    std::string_view written = bytes;
    if (scramble != 0) {
        m_scrambled.assign(bytes);
        for (char& c : m_scrambled)
            c = static_cast<char>(static_cast<unsigned char>(c) ^ scramble);
        written = m_scrambled;
    }
    const std::filesystem::path path = m_folder / name;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        Abort("open", path);
    for (std::size_t done = 0; done < written.size();) {
        const ssize_t n = ::pwrite(fd, written.data() + done, written.size() - done, static_cast<off_t>(done));
        if (n <= 0)
            Abort("write", path);
        done += static_cast<std::size_t>(n);
    }
    if (::ftruncate(fd, static_cast<off_t>(written.size())) != 0)
        Abort("truncate", path);
    ::close(fd);
    file.kind = Kind::Bytes;
    file.bytes.assign(bytes);
    file.scramble = scramble;
}

void KeptFiles::Link(std::string_view name, const std::filesystem::path& target)
{
    File& file = Entry(name);
    if (file.kind == Kind::Link && file.target == target)
        return;
    Unlink(name, file);
    const std::filesystem::path path = m_folder / name;
    if (::link(target.c_str(), path.c_str()) != 0)
        Abort("link", path);
    file.kind = Kind::Link;
    file.target = target;
}

void KeptFiles::Remove(std::string_view name)
{
    Unlink(name, Entry(name));
}

} // namespace vesk::fuzz
