#include "engine/posting_stream.h"

namespace vesk {

const char* StreamFaultText(StreamFault fault)
{
    switch (fault) {
    case StreamFault::None: return "sound";
    case StreamFault::FirstBlockOutside: return "first block outside the posting data";
    case StreamFault::LinkOutsideTable: return "block has no entry in the block-link table";
    case StreamFault::LinkOutside: return "block link outside the posting data";
    case StreamFault::ChainTooLong: return "block chain longer than the posting data (a cycle)";
    case StreamFault::DataEnds: return "stream runs past the end of the posting data";
    case StreamFault::BadRecord: return "malformed page record";
    }
    return "unknown fault";
}

PostingStream::PostingStream(std::span<const std::uint8_t> data, std::span<const std::uint32_t> links,
                             std::uint32_t firstBlock)
    : m_pData(data.data()), m_nDataSize(data.size()), m_pLinks(links.data()), m_nLinks(links.size())
{
    m_nHopsLeft = (m_nDataSize + kPostingBlockSize - 1) / kPostingBlockSize;
    m_nBlock = firstBlock;
    if (!EnterBlock(firstBlock))
        SetFault(StreamFault::FirstBlockOutside);
}

void PostingStream::SetFault(StreamFault fault)
{
    if (m_fault == StreamFault::None) {
        m_fault = fault;
        m_nFaultAt = FileOffset();
    }
    m_nBlockEnd = 0; // every further read takes the slow path and fails
    m_nOffset = kPostingBlockSize + 1;
}

bool PostingStream::EnterBlock(std::uint32_t block)
{
    const std::uint64_t start = std::uint64_t{block} * kPostingBlockSize;
    if (start >= m_nDataSize)
        return false;
    const std::uint64_t available = m_nDataSize - start;
    m_nBlock = block;
    m_nOffset = 0;
    m_nBlockEnd = available < kPostingBlockSize ? static_cast<std::uint32_t>(available) : kPostingBlockSize;
    m_pBlock = m_pData + start;
    return true;
}

bool PostingStream::FollowLink()
{
    if (m_nBlock >= m_nLinks) {
        SetFault(StreamFault::LinkOutsideTable);
        return false;
    }
    if (m_nHopsLeft == 0) {
        SetFault(StreamFault::ChainTooLong);
        return false;
    }
    --m_nHopsLeft;
    if (!EnterBlock(m_pLinks[m_nBlock])) {
        SetFault(StreamFault::LinkOutside);
        return false;
    }
    return true;
}

bool PostingStream::ReadByteSlow(std::uint8_t& byte)
{
    if (m_fault != StreamFault::None)
        return false;
    if (m_nOffset != kPostingBlockSize) {
        SetFault(StreamFault::DataEnds);
        return false;
    }
    if (!FollowLink())
        return false;
    if (m_nOffset >= m_nBlockEnd) {
        SetFault(StreamFault::DataEnds);
        return false;
    }
    byte = m_pBlock[m_nOffset++];
    return true;
}

bool PostingStream::MoveTo(const StreamPlace& place)
{
    if (m_fault != StreamFault::None)
        return false;
    if (!EnterBlock(place.block) || place.offset > m_nBlockEnd) {
        SetFault(StreamFault::DataEnds);
        return false;
    }
    m_nOffset = place.offset;
    m_nHopsLeft = place.hopsLeft;
    return true;
}

bool PostingStream::SkipSlow(std::uint32_t n)
{
    if (m_fault != StreamFault::None)
        return false;
    // A skip that fails does so where reading byte by byte would: at the end
    // of the block it cannot leave, whatever byte the skip started from.
    std::uint64_t offset = std::uint64_t{m_nOffset} + n;
    while (offset > kPostingBlockSize) {
        m_nOffset = m_nBlockEnd;
        if (m_nBlockEnd != kPostingBlockSize) {
            SetFault(StreamFault::DataEnds);
            return false;
        }
        if (!FollowLink())
            return false;
        offset -= kPostingBlockSize;
    }
    if (offset > m_nBlockEnd) {
        m_nOffset = m_nBlockEnd;
        SetFault(StreamFault::DataEnds);
        return false;
    }
    m_nOffset = static_cast<std::uint32_t>(offset);
    return true;
}

} // namespace vesk
