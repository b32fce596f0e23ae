#pragma once
// Page records read from a posting stream (posting_stream.h has the layout).
// A record is rejected as malformed when its page does not lie after the
// previous one (its delta is 0 after the first record, or the page number
// would pass 2^32 - 1), or when a position number runs past its list.
#include "engine/posting_stream.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace vesk {

// A cursor's state just after it has read a page header: the page, the
// length of its position list and the stream's place at the list's start.
struct CursorMark {
    std::uint32_t page = 0;
    std::uint32_t remaining = 0;
    StreamPlace place;
};

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
        if (ReadHeaderInBlock(0))
            return true;
        return ReadPageHeaderChecked();
    }

    // Skips what is left of the current position list and reads the next
    // page header: the step of a cursor that lags behind.
    bool NextRecord()
    {
        if (ReadHeaderInBlock(m_nRemaining))
            return true;
        return SkipPositions() && ReadPageHeaderChecked();
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
        // A list inside the current block is counted straight from its bytes;
        // one that does not end on a number's last byte is left to the checked
        // reading below, which fails the stream at the right place.
        const std::span<const std::uint8_t> rest = m_stream.BlockRest();
        if (m_nRemaining <= rest.size()) {
            const std::uint32_t n = m_nRemaining;
            std::uint32_t at = 0;
            const std::uint32_t count = CountNumbers(rest.data(), n, at);
            if (at == n) {
                m_stream.AdvanceInBlock(n);
                m_nRemaining = 0;
                return count;
            }
        }
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

    // Counts the numbers in bytes[0, n), setting at to where the last one
    // ends (n for a list that ends on a number's last byte). Eight bytes
    // below 0x80 are eight one-byte numbers, taken at once: the positions of
    // a frequent character are mostly that close together.
    static std::uint32_t CountNumbers(const std::uint8_t* bytes, std::uint32_t n, std::uint32_t& at)
    {
        std::uint32_t count = 0;
        at = 0;
        while (at < n) {
            if (n - at >= 8) {
                std::uint64_t word = 0;
                std::memcpy(&word, bytes + at, 8);
                if ((word & 0x8080808080808080ull) == 0) {
                    at += 8;
                    count += 8;
                    continue;
                }
            }
            at += PostingStream::NumberLength(bytes[at]);
            ++count;
        }
        return count;
    }

    // Decodes the rest of the current position list as running sums:
    // sums[k] is the first number plus the k numbers after it (the k-th
    // position when the list is read from its start), for k in 0 .. count
    // (sums grows to fit and keeps its capacity). A sum past 2^32 - 1 ends
    // the sums there (no position lies beyond it). When the whole list reads
    // cleanly the cursor moves past it. Otherwise, or when the sums were cut,
    // the cursor stays where it was; failed tells that reading number count
    // meets damage, so that reading the cursor again fails at that number.
    // The first number is read even from an empty list, as ReadPosition
    // does: that read fails.
    void DecodePositionSums(std::vector<std::uint32_t>& sums, std::uint32_t& count, bool& failed)
    {
        if (sums.size() < m_nRemaining)
            sums.resize(m_nRemaining);
        count = 0;
        failed = m_nRemaining == 0;
        if (failed)
            return;
        std::uint32_t* out = sums.data();
        std::uint32_t sum = 0;
        const std::span<const std::uint8_t> rest = m_stream.BlockRest();
        if (m_nRemaining <= rest.size()) {
            const std::uint8_t* bytes = rest.data();
            const std::uint32_t n = m_nRemaining;
            std::uint32_t at = 0;
            while (at < n) {
                const std::uint32_t b0 = bytes[at];
                std::uint32_t value = b0;
                std::uint32_t length = 1;
                if (b0 >= 0x80) {
                    length = b0 < 0xC0 ? 2 : 3;
                    if (length > n - at) {
                        failed = true;
                        return;
                    }
                    value = length == 2 ? (b0 & 0x3F) << 8 | bytes[at + 1]
                                        : (b0 & 0x3F) << 16 | std::uint32_t{bytes[at + 1]} << 8 | bytes[at + 2];
                }
                if (sum > UINT32_MAX - value)
                    return; // cut
                sum += value;
                out[count++] = sum;
                at += length;
            }
            m_stream.AdvanceInBlock(n);
            m_nRemaining = 0;
            return;
        }
        PostingCursor copy = *this;
        while (copy.m_nRemaining > 0) {
            std::uint32_t value = 0;
            if (!copy.ReadPosition(value)) {
                failed = true;
                return;
            }
            if (sum > UINT32_MAX - value)
                return; // cut
            sum += value;
            out[count++] = sum;
        }
        *this = copy;
    }

    // The state after the last page header read, and a return to such a state
    // taken from a sound walk of the same stream.
    CursorMark Mark() const { return {m_nPage, m_nRemaining, m_stream.Place()}; }
    bool Restore(const CursorMark& mark)
    {
        if (!m_stream.MoveTo(mark.place))
            return false;
        m_nPage = mark.page;
        m_nRemaining = mark.remaining;
        m_bStarted = true;
        return true;
    }

    // What is left of the current position list when it lies whole inside
    // the current block (false when it runs on into another block, and
    // after a fault).
    bool ListBytesInBlock(std::span<const std::uint8_t>& bytes) const
    {
        const std::uint8_t* start = m_stream.BytesAhead(0, m_nRemaining);
        if (start == nullptr)
            return false;
        bytes = {start, m_nRemaining};
        return true;
    }
    // Moves on by n bytes of the current list (n at most the bytes that
    // ListBytesInBlock gave).
    void SkipListBytesInBlock(std::uint32_t n)
    {
        m_stream.AdvanceInBlock(n);
        m_nRemaining -= n;
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
    // The header that starts skip bytes on, read straight from the block when
    // the block surely holds it (a header has at most 5 bytes) and it is
    // sound; false, with nothing moved, leaves it to the checked reading.
    bool ReadHeaderInBlock(std::uint32_t skip)
    {
        const std::uint8_t* bytes = m_stream.BytesAhead(skip, 5);
        if (bytes == nullptr)
            return false;
        const std::uint32_t b0 = bytes[0];
        const std::uint32_t length = PostingStream::NumberLength(static_cast<std::uint8_t>(b0));
        std::uint32_t delta = b0;
        if (length == 2)
            delta = (b0 & 0x3F) << 8 | bytes[1];
        else if (length == 3)
            delta = (b0 & 0x3F) << 16 | std::uint32_t{bytes[1]} << 8 | bytes[2];
        if ((m_bStarted && delta == 0) || m_nPage > UINT32_MAX - delta)
            return false;
        m_bStarted = true;
        m_nPage += delta;
        m_nRemaining = std::uint32_t{bytes[length]} | std::uint32_t{bytes[length + 1]} << 8;
        m_stream.AdvanceInBlock(skip + length + 2);
        return true;
    }

    bool ReadPageHeaderChecked()
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

    PostingStream m_stream;
    std::uint32_t m_nPage = 0;
    std::uint32_t m_nRemaining = 0;
    bool m_bStarted = false;
};

} // namespace vesk
