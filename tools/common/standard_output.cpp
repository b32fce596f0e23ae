#include "common/standard_output.h"

#include "common/options.h"

#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace vesk::tool {
namespace {

// What standard output is (a file, a device, a pipe), for the message.
std::string NameOfStandardOutput()
{
    char target[4096];
    const ssize_t n = ::readlink("/proc/self/fd/1", target, sizeof target - 1);
    if (n <= 0)
        return "standard output";
    return "standard output (" + std::string(target, static_cast<std::size_t>(n)) + ")";
}

} // namespace

void StandardOutput::WriteOut(const char* bytes, std::size_t size)
{
    while (size > 0 && m_nError == 0) {
        const ssize_t n = ::write(STDOUT_FILENO, bytes, size);
        if (n < 0) {
            if (errno != EINTR)
                m_nError = errno;
            continue;
        }
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
}

void StandardOutput::Write(std::string_view bytes)
{
    if (m_nError != 0)
        return;
    if (bytes.size() >= kBufferSize) {
        Flush();
        WriteOut(bytes.data(), bytes.size());
        return;
    }
    std::memcpy(Room(bytes.size()), bytes.data(), bytes.size());
    Commit(bytes.size());
}

char* StandardOutput::Room(std::size_t size)
{
    if (!m_buffer)
        m_buffer = std::make_unique_for_overwrite<char[]>(kBufferSize);
    if (kBufferSize - m_used < size)
        Flush();
    return m_buffer.get() + m_used;
}

void StandardOutput::Print(const char* format, ...)
{
    char line[512];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (n < 0)
        return;
    if (static_cast<std::size_t>(n) < sizeof line) {
        Write({line, static_cast<std::size_t>(n)});
        return;
    }
    std::string longer(static_cast<std::size_t>(n) + 1, '\0');
    va_start(args, format);
    std::vsnprintf(longer.data(), longer.size(), format, args);
    va_end(args);
    longer.pop_back();
    Write(longer);
}

bool StandardOutput::Flush()
{
    if (m_used > 0)
        WriteOut(m_buffer.get(), m_used);
    m_used = 0;
    return m_nError == 0;
}

StandardOutput& Out()
{
    static StandardOutput output;
    return output;
}

void TreatSignalsAsWriteErrors()
{
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
}

int FinishStandardOutput(std::string_view tool, int code)
{
    StandardOutput& out = Out();
    out.Flush();
    int error = out.Error();
    const std::string name = NameOfStandardOutput();
    // close reports what a file system defers to the end (a full disk over
    // NFS, for one); stdio's own stdout is unused, so closing it is safe.
    if (::close(STDOUT_FILENO) != 0 && error == 0 && errno != EINTR)
        error = errno;
    if (error == 0)
        return code;
    if (error != EPIPE)
        std::fprintf(stderr, "%.*s: cannot write %s: %s\n", static_cast<int>(tool.size()), tool.data(),
                     name.c_str(), std::strerror(error));
    return kExitOutput;
}

} // namespace vesk::tool
