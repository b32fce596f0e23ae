#include "builder/stream_arena.h"

#include <algorithm>
#include <cstring>

namespace vesk::build {

StreamArena::StreamArena(std::uint32_t streams, std::uint64_t capacity)
    : m_capacity(static_cast<std::uint32_t>(
          std::clamp<std::uint64_t>(capacity, kFirstChunk + kHeader + kMinPayload, 0xFFFFFFFF))),
      m_streams(streams)
{
    // Not zeroed: the pages of the buffer are touched only as chunks are used.
    m_buffer = std::make_unique_for_overwrite<std::uint8_t[]>(m_capacity);
}

std::uint32_t StreamArena::ReadU32(std::uint32_t at) const
{
    std::uint32_t v;
    std::memcpy(&v, m_buffer.get() + at, 4);
    return v;
}

void StreamArena::WriteU32(std::uint32_t at, std::uint32_t v)
{
    std::memcpy(m_buffer.get() + at, &v, 4);
}

// A new tail chunk about as large as the stream so far (within the payload
// bounds), or what is left of the buffer; false when nothing is left.
bool StreamArena::NewChunk(Stream& stream)
{
    const std::uint32_t room = m_capacity - m_used;
    if (room <= kHeader)
        return false;
    const auto wanted = static_cast<std::uint32_t>(
        std::clamp<std::uint64_t>(stream.size, kMinPayload, kMaxPayload));
    const std::uint32_t payload = std::min(wanted, room - kHeader);
    const std::uint32_t chunk = m_used;
    m_used += kHeader + payload;
    WriteU32(chunk, 0);
    WriteU32(chunk + 4, payload);
    if (stream.tail != 0) {
        WriteU32(stream.tail, chunk);
    } else {
        stream.head = chunk;
        m_inUse.push_back(static_cast<std::uint32_t>(&stream - m_streams.data()));
    }
    stream.tail = chunk;
    stream.tailUsed = 0;
    stream.tailCapacity = payload;
    return true;
}

std::size_t StreamArena::Append(std::uint32_t stream, std::span<const std::uint8_t> bytes)
{
    Stream& s = m_streams[stream];
    std::size_t done = 0;
    while (done < bytes.size()) {
        if (s.tailUsed == s.tailCapacity && !NewChunk(s))
            break;
        const std::size_t n = std::min<std::size_t>(bytes.size() - done, s.tailCapacity - s.tailUsed);
        std::memcpy(m_buffer.get() + s.tail + kHeader + s.tailUsed, bytes.data() + done, n);
        s.tailUsed += static_cast<std::uint32_t>(n);
        s.size += n;
        done += n;
    }
    return done;
}

const std::vector<std::uint32_t>& StreamArena::SortedStreamsInUse()
{
    std::ranges::sort(m_inUse);
    return m_inUse;
}

void StreamArena::Clear()
{
    for (const std::uint32_t stream : m_inUse)
        m_streams[stream] = Stream{};
    m_inUse.clear();
    m_used = kFirstChunk;
}

} // namespace vesk::build
