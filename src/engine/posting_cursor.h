#pragma once
// Page records read from a posting stream (posting_stream.h has the layout).
// A record is rejected as malformed when its page does not lie after the
// previous one (its delta is 0 after the first record, or the page number
// would pass 2^32 - 1), or when a position number runs past its list.
#include "engine/posting_stream.h"

#include <cstdint>

namespace vesk {

class PostingCursor {
public:
    PostingCursor() = default;
    PostingCursor(std::span<const std::uint8_t> data, std::span<const std::uint32_t> links, std::uint32_t firstBlock)
        : m_stream(data, links, firstBlock)
    {
    }

    // Reads the next page header: page += delta, remaining = list length.
    bool ReadPageHeader()
    {
        std::uint32_t delta = 0;
        std::uint8_t low = 0, high = 0;
        if (!m_stream.ReadNumber(delta) || !m_stream.ReadByte(low) || !m_stream.ReadByte(high))
            return false;
        if ((m_bStarted && delta == 0) || m_nPage > UINT32_MAX - delta) {
            m_stream.Fail(StreamFault::BadRecord);
            return false;
        }
        m_bStarted = true;
        m_nPage += delta;
        m_nRemaining = static_cast<std::uint32_t>(low) | static_cast<std::uint32_t>(high) << 8;
        return true;
    }

    // Reads one position number of the current list.
    bool ReadPosition(std::uint32_t& value)
    {
        std::uint8_t b0 = 0;
        if (m_nRemaining == 0 || !m_stream.ReadByte(b0)) {
            m_stream.Fail(StreamFault::BadRecord);
            return false;
        }
        const std::uint32_t length = PostingStream::NumberLength(b0);
        if (m_nRemaining < length) {
            m_stream.Fail(StreamFault::BadRecord);
            return false;
        }
        m_nRemaining -= length;
        value = b0;
        if (length == 1)
            return true;
        value &= 0x3F;
        for (std::uint32_t i = 1; i < length; ++i) {
            std::uint8_t b = 0;
            if (!m_stream.ReadByte(b))
                return false;
            value = value << 8 | b;
        }
        return true;
    }

    // Reads what is left of the current position list and returns how many
    // numbers it held (0 on a malformed list; the stream is then failed).
    std::uint32_t CountPositions()
    {
        std::uint32_t count = 0;
        while (m_nRemaining > 0) {
            std::uint8_t b0 = 0;
            if (!m_stream.ReadByte(b0))
                return 0;
            const std::uint32_t length = PostingStream::NumberLength(b0);
            if (m_nRemaining < length) {
                m_stream.Fail(StreamFault::BadRecord);
                return 0;
            }
            m_nRemaining -= length;
            if (length > 1 && !m_stream.Skip(length - 1))
                return 0;
            ++count;
        }
        return count;
    }

    // Skips what is left of the current position list.
    bool SkipPositions()
    {
        const std::uint32_t n = m_nRemaining;
        m_nRemaining = 0;
        return m_stream.Skip(n);
    }

    std::uint32_t Page() const { return m_nPage; }
    std::uint32_t Remaining() const { return m_nRemaining; }
    const PostingStream& Stream() const { return m_stream; }

private:
    PostingStream m_stream;
    std::uint32_t m_nPage = 0;
    std::uint32_t m_nRemaining = 0;
    bool m_bStarted = false;
};

} // namespace vesk
