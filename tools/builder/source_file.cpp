#include "builder/source_file.h"

#include "builder/utf8_text.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vesk::build {
namespace {

constexpr std::size_t kShownBytes = 160;

const char* KindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return "is a folder";
    if (S_ISFIFO(mode))
        return "is a FIFO";
    if (S_ISSOCK(mode))
        return "is a socket";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "is a device";
    return "is not a file";
}

std::string OpenProblem(int code)
{
    switch (code) {
    case ENOENT: return "is missing (or a symlink to nothing)";
    case ELOOP: return "is a symlink loop";
    case ENAMETOOLONG: return "has a name or symlink target that is too long";
    default: return std::string("cannot be opened: ") + std::strerror(code);
    }
}

void Escape(std::string_view text, std::string& out, bool quotes)
{
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::size_t next = i;
        if (c >= 0x80 && DecodeUtf8(text, next) != kInvalidUtf8) {
            out.append(text.substr(i, next - i));
            i = next;
            continue;
        }
        if (quotes && (c == '"' || c == '\\')) {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
        ++i;
    }
}

// Back from cut to the start of a UTF-8 sequence.
std::size_t SequenceStart(std::string_view text, std::size_t cut)
{
    while (cut > 0 && cut < text.size() && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    return cut;
}

std::string Shown(std::string_view text, bool quotes)
{
    std::string out;
    if (text.size() <= kShownBytes) {
        Escape(text, out, quotes);
        return out;
    }
    const std::size_t head = SequenceStart(text, kShownBytes / 2);
    const std::size_t tail = SequenceStart(text, text.size() - kShownBytes / 2);
    Escape(text.substr(0, head), out, quotes);
    out += "...";
    Escape(text.substr(tail), out, quotes);
    return out;
}

} // namespace

namespace {

// Opens path and checks that it is a regular file of at most maxBytes; the
// descriptor (to be closed by the caller, also when ok is false) or -1.
int OpenRegularFile(const std::filesystem::path& path, std::uint64_t maxBytes, struct stat& st,
                    bool& ok, std::string& problem)
{
    // O_NONBLOCK: opening a FIFO must not wait for a writer; the descriptor
    // is read only once it is known to be a regular file.
    ok = false;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        problem = OpenProblem(errno);
        return fd;
    }
    ok = ::fstat(fd, &st) == 0;
    if (!ok) {
        problem = std::string("cannot be examined: ") + std::strerror(errno);
    } else if (!S_ISREG(st.st_mode)) {
        problem = std::string(KindOf(st.st_mode)) + ", not a regular file";
        ok = false;
    } else if (static_cast<std::uint64_t>(st.st_size) > maxBytes) {
        problem = "is " + std::to_string(st.st_size) + " bytes; at most " + std::to_string(maxBytes) + " fit";
        ok = false;
    }
    return fd;
}

} // namespace

bool ProbeSourceFile(const std::filesystem::path& path, std::uint64_t maxBytes, std::uint64_t& size,
                     std::string& problem)
{
    struct stat st {};
    bool ok = false;
    const int fd = OpenRegularFile(path, maxBytes, st, ok, problem);
    if (fd < 0)
        return false;
    ::close(fd);
    size = ok ? static_cast<std::uint64_t>(st.st_size) : 0;
    return ok;
}

bool ReadSourceFile(const std::filesystem::path& path, std::uint64_t maxBytes, std::string& bytes,
                    std::string& problem)
{
    bytes.clear();
    struct stat st {};
    bool ok = false;
    const int fd = OpenRegularFile(path, maxBytes, st, ok, problem);
    if (fd < 0)
        return false;
    if (ok) {
        // One byte more than the size, to see a file that grew meanwhile.
        bytes.resize(static_cast<std::size_t>(st.st_size) + 1);
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                problem = std::string("cannot be read: ") + std::strerror(errno);
                ok = false;
            }
            if (n <= 0)
                break;
            done += static_cast<std::size_t>(n);
        }
        if (ok && done > static_cast<std::size_t>(st.st_size)) {
            problem = "changed while it was read";
            ok = false;
        }
        bytes.resize(ok ? done : 0);
    }
    ::close(fd);
    return ok;
}

bool LiesInside(const std::filesystem::path& path, const std::filesystem::path& root, std::string& problem)
{
    std::error_code ec;
    const std::filesystem::path resolved = std::filesystem::canonical(path, ec);
    if (ec) {
        problem = OpenProblem(ec.value());
        return false;
    }
    const auto [rootEnd, pathAt] = std::mismatch(root.begin(), root.end(), resolved.begin(), resolved.end());
    if (rootEnd != root.end()) {
        problem = "leads out of the source folder (to " + ShownText(resolved.string()) +
                  "; --allow-outside-links allows it)";
        return false;
    }
    return true;
}

std::string ShownText(std::string_view text)
{
    return Shown(text, false);
}

std::string QuotedText(std::string_view text)
{
    return "\"" + Shown(text, true) + "\"";
}

bool StripByteOrderMark(std::string& bytes)
{
    if (!bytes.starts_with("\xEF\xBB\xBF"))
        return false;
    bytes.erase(0, 3);
    return true;
}

} // namespace vesk::build
