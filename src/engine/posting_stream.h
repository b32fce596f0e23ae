#pragma once
// Checked reading of one key's posting stream.
//
//   posting data := block*                      -- block b is bytes [b*4096, b*4096+4096)
//   stream       := record*                     -- starts at byte 0 of the key's first block,
//                                                  continues at byte 0 of link[b] after block b
//   record       := vnum pageDelta, u16 listLength (low byte first), vnum[...] positions
//   vnum         := 0xxxxxxx                    -- 7 bits
//                 | 10xxxxxx byte               -- 14 bits
//                 | 11xxxxxx byte byte          -- 22 bits
//
// Every block number is checked before use: a first block or a link must name
// a block of the mapped data, a link must lie in the link table, a read must
// fall inside the mapped bytes, and a walk follows at most as many links as
// there are blocks, so a cycle cannot hang a search. A failed read leaves the
// stream failed for good; the caller ends that stream.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

namespace vesk {

inline constexpr std::uint32_t kPostingBlockSize = 4096;

enum class StreamFault : std::uint8_t {
    None,
    FirstBlockOutside, // the first block is not a block of the data
    LinkOutsideTable,  // the block has no entry in the link table
    LinkOutside,       // the link names no block of the data
    ChainTooLong,      // more links followed than there are blocks (a cycle)
    DataEnds,          // the block ends early, at the end of the data
    BadRecord,         // a record contradicts itself (reported by the reader of records)
};

const char* StreamFaultText(StreamFault fault);

// Where a stream stands: enough to return to the same place later (the
// links still to be followed count too, so the chain bound stays the same).
struct StreamPlace {
    std::uint32_t block = 0;
    std::uint32_t offset = 0;
    std::uint64_t hopsLeft = 0;
};

class PostingStream {
public:
    PostingStream() = default;
    PostingStream(std::span<const std::uint8_t> data, std::span<const std::uint32_t> links,
                  std::uint32_t firstBlock);

    bool ReadByte(std::uint8_t& byte)
    {
        if (m_nOffset < m_nBlockEnd) {
            byte = m_pBlock[m_nOffset++];
            return true;
        }
        return ReadByteSlow(byte);
    }

    // One variable-length number (1 to 3 bytes).
    bool ReadNumber(std::uint32_t& value)
    {
        std::uint8_t b0 = 0, b1 = 0, b2 = 0;
        if (!ReadByte(b0))
            return false;
        if (b0 < 0x80) {
            value = b0;
            return true;
        }
        if (b0 < 0xC0) {
            if (!ReadByte(b1))
                return false;
            value = (static_cast<std::uint32_t>(b0 & 0x3F) << 8) | b1;
            return true;
        }
        if (!ReadByte(b1) || !ReadByte(b2))
            return false;
        value = (static_cast<std::uint32_t>(b0 & 0x3F) << 16) | (static_cast<std::uint32_t>(b1) << 8) | b2;
        return true;
    }

    // Moves on by n bytes; an offset that lands exactly on the end of a block
    // stays there and the next read follows the link.
    bool Skip(std::uint32_t n)
    {
        if (n <= m_nBlockEnd - std::min(m_nOffset, m_nBlockEnd) && m_fault == StreamFault::None) {
            m_nOffset += n; // stays inside the block (or lands on its end)
            return true;
        }
        return SkipSlow(n);
    }

    void Fail(StreamFault fault) { SetFault(fault); }
    bool Failed() const { return m_fault != StreamFault::None; }
    StreamFault Fault() const { return m_fault; }
    std::uint32_t Block() const { return m_nBlock; }
    std::uint32_t Offset() const { return m_nOffset; }
    std::uint64_t FileOffset() const { return std::uint64_t{m_nBlock} * kPostingBlockSize + m_nOffset; }
    // Where in the posting data the fault was met.
    std::uint64_t FaultOffset() const { return m_nFaultAt; }

    // Number of bytes needed by a variable-length number whose first byte is
    // b0: 1 below 0x80, 2 below 0xC0, else 3 (computed without branches).
    static std::uint32_t NumberLength(std::uint8_t b0)
    {
        return 1u + (b0 >> 7) + static_cast<std::uint32_t>((b0 >> 6) == 3);
    }

    // The bytes of the current block from the read position on; empty at the
    // end of a block (the next read follows the link) and after a fault.
    std::span<const std::uint8_t> BlockRest() const
    {
        return m_nOffset < m_nBlockEnd ? std::span<const std::uint8_t>(m_pBlock + m_nOffset, m_nBlockEnd - m_nOffset)
                                       : std::span<const std::uint8_t>();
    }
    // The bytes from skip bytes on, when the current block holds need bytes
    // there; nullptr when it does not (and after a fault).
    const std::uint8_t* BytesAhead(std::uint32_t skip, std::uint32_t need) const
    {
        return std::uint64_t{m_nOffset} + skip + need <= m_nBlockEnd ? m_pBlock + m_nOffset + skip : nullptr;
    }
    // Moves on by n bytes inside the current block; n is at most BlockRest().size().
    void AdvanceInBlock(std::uint32_t n) { m_nOffset += n; }

    StreamPlace Place() const { return {m_nBlock, m_nOffset, m_nHopsLeft}; }
    // Returns to a place taken earlier from a sound stream over the same data;
    // false (and the stream failed) when the place names no block or byte of it.
    bool MoveTo(const StreamPlace& place);

private:
    bool ReadByteSlow(std::uint8_t& byte);
    bool SkipSlow(std::uint32_t n);
    bool FollowLink();
    bool EnterBlock(std::uint32_t block);
    void SetFault(StreamFault fault);

    const std::uint8_t* m_pData = nullptr;
    std::size_t m_nDataSize = 0;
    const std::uint32_t* m_pLinks = nullptr;
    std::size_t m_nLinks = 0;
    const std::uint8_t* m_pBlock = nullptr;
    std::uint32_t m_nBlock = 0;
    std::uint32_t m_nOffset = 0;   // 0 .. 4096
    std::uint32_t m_nBlockEnd = 0; // readable bytes of the current block
    std::uint64_t m_nHopsLeft = 0;
    std::uint64_t m_nFaultAt = 0;
    StreamFault m_fault = StreamFault::None;
};

} // namespace vesk
