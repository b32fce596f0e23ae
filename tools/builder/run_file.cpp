#include "builder/run_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace vesk::build {
namespace {

constexpr std::size_t kBufferBytes = std::size_t{1} << 20;
constexpr std::size_t kHeaderBytes = 12;
constexpr std::size_t kFairReadBytes = std::size_t{256} << 10;

} // namespace

std::size_t MaxRunsReadAtOnce(std::uint64_t budget, std::size_t filesPerRun)
{
    const std::uint64_t fair = std::max<std::size_t>(filesPerRun, 1) * kFairReadBytes;
    return static_cast<std::size_t>(std::clamp<std::uint64_t>(budget / fair, 8, 128));
}

std::size_t RunReadBufferBytes(std::uint64_t budget, std::size_t files)
{
    const std::uint64_t share = budget / std::max<std::size_t>(files, 1);
    return static_cast<std::size_t>(std::clamp<std::uint64_t>(share, 64 << 10, kBufferBytes));
}

RunWriter::~RunWriter()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool RunWriter::Fail(const char* what, std::string& error) const
{
    error = m_path.string() + ": " + what + ": " + std::strerror(errno);
    return false;
}

bool RunWriter::Create(const std::filesystem::path& path, std::string& error)
{
    m_path = path;
    m_fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (m_fd < 0)
        return Fail("cannot create a sorted run", error);
    m_buffer.reserve(kBufferBytes);
    return true;
}

bool RunWriter::Flush(std::string& error)
{
    const std::uint8_t* p = m_buffer.data();
    std::size_t left = m_buffer.size();
    while (left > 0) {
        const ssize_t n = ::write(m_fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return Fail("cannot write a sorted run", error);
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    m_buffer.clear();
    return true;
}

bool RunWriter::Write(std::span<const std::uint8_t> bytes, std::string& error)
{
    if (m_buffer.size() + bytes.size() > kBufferBytes) {
        if (!Flush(error))
            return false;
        if (bytes.size() >= kBufferBytes) {
            m_buffer.assign(bytes.begin(), bytes.end());
            return Flush(error);
        }
    }
    m_buffer.insert(m_buffer.end(), bytes.begin(), bytes.end());
    return true;
}

bool RunWriter::BeginSegment(std::uint32_t id, std::uint64_t length, std::string& error)
{
    std::uint8_t header[kHeaderBytes];
    std::memcpy(header, &id, 4);
    std::memcpy(header + 4, &length, 8);
    return Write(header, error);
}

bool RunWriter::Finish(std::string& error)
{
    if (!BeginSegment(kEndOfRun, 0, error) || !Flush(error))
        return false;
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0)
        return Fail("cannot close a sorted run", error);
    return true;
}

RunInput::RunInput(RunInput&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_path(std::move(other.m_path)),
      m_buffer(std::move(other.m_buffer)), m_at(other.m_at), m_end(other.m_end)
{
}

RunInput::~RunInput()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool RunInput::Fail(const std::string& what, std::string& error) const
{
    error = m_path.string() + ": " + what;
    return false;
}

bool RunInput::Open(const std::filesystem::path& path, std::size_t bufferBytes, std::string& error)
{
    m_path = path;
    m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (m_fd < 0)
        return Fail(std::string("cannot open a sorted run: ") + std::strerror(errno), error);
    m_buffer.resize(bufferBytes);
    return true;
}

bool RunInput::Fill(std::string& error)
{
    std::memmove(m_buffer.data(), m_buffer.data() + m_at, m_end - m_at);
    m_end -= m_at;
    m_at = 0;
    std::size_t got = 0;
    if (!ReadDirect(m_buffer.data() + m_end, m_buffer.size() - m_end, got, error))
        return false;
    m_end += got;
    return true;
}

bool RunInput::ReadDirect(std::uint8_t* out, std::size_t n, std::size_t& got, std::string& error)
{
    while (true) {
        const ssize_t read = ::read(m_fd, out, n);
        if (read < 0 && errno == EINTR)
            continue;
        if (read < 0)
            return Fail(std::string("cannot read a sorted run: ") + std::strerror(errno), error);
        if (read == 0)
            return Fail("a sorted run ends early", error);
        got = static_cast<std::size_t>(read);
        return true;
    }
}

bool RunReader::Open(const std::filesystem::path& path, std::size_t bufferBytes, std::string& error)
{
    return m_input.Open(path, bufferBytes, error) && ReadHeader(error);
}

bool RunReader::ReadHeader(std::string& error)
{
    while (m_input.Unread().size() < kHeaderBytes)
        if (!m_input.Fill(error))
            return false;
    std::memcpy(&m_id, m_input.Unread().data(), 4);
    std::memcpy(&m_length, m_input.Unread().data() + 4, 8);
    m_input.Take(kHeaderBytes);
    return true;
}

} // namespace vesk::build
