#pragma once
// A run file: segments of byte streams in ascending order of stream id, each
//   u32 stream id, u64 length, length bytes
// in the machine's byte order (a run lives only for one build), ended by the
// id kEndOfRun. The segments of one stream in the runs of a build, taken in
// run order, make up the stream.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace vesk::build {

inline constexpr std::uint32_t kEndOfRun = 0xFFFFFFFF;

// How many runs of filesPerRun files each are read at once with a budget of
// read-buffer bytes: as many as leave each file 256 KiB, from 8 to 128. More
// runs are first merged in groups of that many.
std::size_t MaxRunsReadAtOnce(std::uint64_t budget, std::size_t filesPerRun);
// The read buffer of each of files files read at once: an equal share of the
// budget, from 64 KiB to 1 MiB.
std::size_t RunReadBufferBytes(std::uint64_t budget, std::size_t files);

// Writes a run sequentially through a buffer.
class RunWriter {
public:
    RunWriter() = default;
    RunWriter(const RunWriter&) = delete;
    RunWriter& operator=(const RunWriter&) = delete;
    ~RunWriter();

    bool Create(const std::filesystem::path& path, std::string& error);
    // Starts the segment of stream id; length bytes must follow.
    bool BeginSegment(std::uint32_t id, std::uint64_t length, std::string& error);
    bool Write(std::span<const std::uint8_t> bytes, std::string& error);
    // Writes the end mark and closes the file.
    bool Finish(std::string& error);

private:
    bool Flush(std::string& error);
    bool Fail(const char* what, std::string& error) const;

    int m_fd = -1;
    std::filesystem::path m_path;
    std::vector<std::uint8_t> m_buffer;
};

// A run file read sequentially through a buffer: the open file, its name
// for messages, and the bytes read but not yet taken. Errors name the file.
class RunInput {
public:
    RunInput() = default;
    RunInput(RunInput&& other) noexcept;
    RunInput(const RunInput&) = delete;
    RunInput& operator=(const RunInput&) = delete;
    ~RunInput();

    bool Open(const std::filesystem::path& path, std::size_t bufferBytes, std::string& error);
    // Moves the unread bytes to the front and reads more after them; false
    // (error set) on a read error or when the file ends.
    bool Fill(std::string& error);
    // Reads up to n bytes straight into out, past the buffer (the buffer
    // must be empty); false as Fill.
    bool ReadDirect(std::uint8_t* out, std::size_t n, std::size_t& got, std::string& error);
    std::span<const std::uint8_t> Unread() const { return {m_buffer.data() + m_at, m_end - m_at}; }
    void Take(std::size_t n) { m_at += n; }
    std::size_t BufferSize() const { return m_buffer.size(); }
    bool Fail(const std::string& what, std::string& error) const;

private:
    int m_fd = -1;
    std::filesystem::path m_path;
    std::vector<std::uint8_t> m_buffer;
    std::size_t m_at = 0, m_end = 0; // unread bytes of the buffer
};

// Reads a run sequentially through a buffer, one segment at a time.
class RunReader {
public:
    RunReader() = default;
    RunReader(RunReader&& other) noexcept = default;
    RunReader(const RunReader&) = delete;
    RunReader& operator=(const RunReader&) = delete;

    // Opens the run and reads the first segment header.
    bool Open(const std::filesystem::path& path, std::size_t bufferBytes, std::string& error);
    std::uint32_t id() const { return m_id; }        // kEndOfRun at the end
    std::uint64_t length() const { return m_length; }
    // Passes the segment's bytes to piece(span) in one or more calls, then
    // reads the next header. piece returning false stops with false.
    template <class Fn> bool CopySegment(Fn&& piece, std::string& error);

private:
    bool ReadHeader(std::string& error);

    RunInput m_input;
    std::uint32_t m_id = kEndOfRun;
    std::uint64_t m_length = 0;
};

template <class Fn> bool RunReader::CopySegment(Fn&& piece, std::string& error)
{
    std::uint64_t left = m_length;
    while (left > 0) {
        if (m_input.Unread().empty() && !m_input.Fill(error))
            return false;
        const std::span<const std::uint8_t> unread = m_input.Unread();
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(left, unread.size()));
        if (!piece(unread.first(n)))
            return false;
        m_input.Take(n);
        left -= n;
    }
    return ReadHeader(error);
}

} // namespace vesk::build
