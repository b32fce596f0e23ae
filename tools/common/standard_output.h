#pragma once
// Standard output of a command, buffered and checked to the end. The first
// write that fails is remembered with its error, and what comes after it is
// dropped, so a command that goes on printing loses nothing more and costs
// little. FinishStandardOutput flushes, closes and turns a failure into the
// command's exit code.
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace vesk::tool {

class StandardOutput {
public:
    StandardOutput() = default;
    StandardOutput(const StandardOutput&) = delete;
    StandardOutput& operator=(const StandardOutput&) = delete;

    static constexpr std::size_t kBufferSize = 64 * 1024;

    void Write(std::string_view bytes);
    void Print(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // For formatting in place: room for size bytes (at most kBufferSize) at
    // the end of the buffer, written out first when less is left; Commit
    // then keeps the first n bytes written there.
    char* Room(std::size_t size);
    void Commit(std::size_t n) { m_used += n; }
    // Writes out what is buffered; false once any write has failed.
    bool Flush();
    // The errno of the first failed write; 0 while all went well.
    int Error() const { return m_nError; }

private:
    void WriteOut(const char* bytes, std::size_t size);

    // Allocated at the first write and never zeroed: a short output touches
    // only the pages it fills (a fresh page costs a fault).
    std::unique_ptr<char[]> m_buffer;
    std::size_t m_used = 0;
    int m_nError = 0;
};

// The one standard output of the process.
StandardOutput& Out();

// Makes a closed pipe and a file-size limit show up as failed writes (EPIPE,
// EFBIG) that the tools report, instead of signals that end the process.
void TreatSignalsAsWriteErrors();

// Flushes and closes standard output. Returns code when everything reached
// it; otherwise kExitOutput, after one line on standard error that names the
// output ("vesk-tool: cannot write standard output (/dev/full): No space left
// on device"). A closed pipe (the reader has gone, as with "| head -c1")
// gives kExitOutput without a line: not worth a message, but not success.
int FinishStandardOutput(std::string_view tool, int code);

} // namespace vesk::tool
