#pragma once
// Byte streams kept in one buffer of fixed size: each stream is a chain of
// chunks carved from the buffer as it grows (chunks double in size up to
// 64 KiB, so a stream of n bytes wastes at most about n / 2 plus a small
// first chunk). The buffer is never reallocated: when it is full, Append says
// so and the owner empties it (PostingRuns spills it to disk) and goes on.
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace vesk::build {

class StreamArena {
public:
    // streams: number of stream ids (0 .. streams - 1); capacity: buffer
    // bytes, at most 4 GiB - 1 (chunks are addressed by 32-bit offsets).
    StreamArena(std::uint32_t streams, std::uint64_t capacity);

    // Appends as much of bytes to the stream as fits and returns how many
    // bytes that was: all of them unless the buffer is full.
    std::size_t Append(std::uint32_t stream, std::span<const std::uint8_t> bytes);

    // The bytes held for a stream since the last Clear.
    std::uint64_t Size(std::uint32_t stream) const { return m_streams[stream].size; }
    bool Empty() const { return m_used == kFirstChunk; }

    // The streams holding bytes, in ascending order (sorts them in place).
    const std::vector<std::uint32_t>& SortedStreamsInUse();

    // Calls piece(bytes) for each chunk of the stream, in order; stops at the
    // first false and returns it.
    template <class Fn> bool ForEachPiece(std::uint32_t stream, Fn&& piece) const;

    // Forgets every stream; the buffer is kept for reuse.
    void Clear();

private:
    struct Stream {
        std::uint32_t head = 0, tail = 0; // chunk offsets (0: none)
        std::uint32_t tailUsed = 0, tailCapacity = 0;
        std::uint64_t size = 0;
    };
    static constexpr std::uint32_t kHeader = 8;      // u32 next chunk, u32 payload bytes
    static constexpr std::uint32_t kFirstChunk = 8;  // offset 0 means "no chunk"
    static constexpr std::uint32_t kMinPayload = 32;
    static constexpr std::uint32_t kMaxPayload = 65536;

    bool NewChunk(Stream& stream);
    std::uint32_t ReadU32(std::uint32_t at) const;
    void WriteU32(std::uint32_t at, std::uint32_t v);

    std::unique_ptr<std::uint8_t[]> m_buffer;
    std::uint32_t m_capacity = 0;
    std::uint32_t m_used = kFirstChunk;
    std::vector<Stream> m_streams;
    std::vector<std::uint32_t> m_inUse; // streams with a chunk, in order of their first
};

template <class Fn> bool StreamArena::ForEachPiece(std::uint32_t stream, Fn&& piece) const
{
    const Stream& s = m_streams[stream];
    for (std::uint32_t chunk = s.head; chunk != 0; chunk = ReadU32(chunk)) {
        const std::uint32_t used = chunk == s.tail ? s.tailUsed : ReadU32(chunk + 4);
        if (!piece(std::span<const std::uint8_t>(m_buffer.get() + chunk + kHeader, used)))
            return false;
    }
    return true;
}

} // namespace vesk::build
