#include "builder/posting_file_writer.h"

#include "builder/variant_groups.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace vesk::build {
namespace {

constexpr std::size_t kFirstBlockTable = 0;
constexpr std::size_t kPageCountTable = 400000;
constexpr std::size_t kOccurrenceTable = 600000;
constexpr std::size_t kLastPageTable = 1000000;
constexpr std::size_t kBlockLinkTable = 1400000;

// Data bytes gathered before one write.
constexpr std::size_t kWriteBuffer = std::size_t{4} << 20;

void PutU16(std::vector<std::uint8_t>& out, std::size_t at, std::uint16_t v)
{
    out[at] = static_cast<std::uint8_t>(v);
    out[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void PutU32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v)
{
    for (int k = 0; k < 4; ++k)
        out[at + static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(v >> (8 * k));
}

std::uint64_t BlocksOf(const KeyStream& stream)
{
    return (stream.bytes + kBlockSize - 1) / kBlockSize;
}

} // namespace

PostingFileWriter::PostingFileWriter(const std::vector<KeyStream>& streams, BlockLayout layout,
                                     OutputFile& directory, OutputFile& data)
    : m_streams(streams), m_layout(layout), m_directory(directory), m_data(data)
{
}

// The block numbers of every stream, in stream order, flattened.
bool PostingFileWriter::Start(std::string& error)
{
    m_start.assign(m_streams.size() + 1, 0);
    std::uint64_t maxBlocks = 0;
    for (std::size_t k = 0; k < m_streams.size(); ++k) {
        m_start[k + 1] = m_start[k] + BlocksOf(m_streams[k]);
        maxBlocks = std::max(maxBlocks, BlocksOf(m_streams[k]));
    }
    if (m_start.back() >= std::numeric_limits<std::uint32_t>::max() / 4) {
        error = m_data.finalPath().string() + ": too many blocks";
        return false;
    }
    m_chain.resize(m_start.back());
    std::uint32_t next = 0;
    if (m_layout == BlockLayout::contiguous) {
        for (std::uint32_t& block : m_chain)
            block = next++;
    } else {
        for (std::uint64_t round = 0; round < maxBlocks; ++round)
            for (std::size_t k = 0; k < m_streams.size(); ++k)
                if (round < BlocksOf(m_streams[k]))
                    m_chain[m_start[k] + round] = next++;
    }
    m_buffer.reserve(kWriteBuffer);
    return true;
}

bool PostingFileWriter::Flush(std::string& error)
{
    if (!m_data.WriteAt(m_bufferAt, m_buffer, error))
        return false;
    m_bufferAt += m_buffer.size();
    m_buffer.clear();
    return true;
}

// Gathers bytes that continue the buffer; anything else starts a new write,
// so the bytes between streams stay holes as they would with a write per
// stream.
bool PostingFileWriter::Put(std::uint64_t offset, std::span<const std::uint8_t> bytes,
                            std::string& error)
{
    if (offset != m_bufferAt + m_buffer.size() || m_buffer.size() + bytes.size() > kWriteBuffer) {
        if (!Flush(error))
            return false;
        m_bufferAt = offset;
    }
    m_buffer.insert(m_buffer.end(), bytes.begin(), bytes.end());
    return true;
}

bool PostingFileWriter::EndStream(std::string& error)
{
    if (m_written != m_streams[m_key].bytes) {
        error = m_data.finalPath().string() + ": key " + std::to_string(m_key) + " has " +
                std::to_string(m_written) + " of its " + std::to_string(m_streams[m_key].bytes) +
                " bytes";
        return false;
    }
    m_written = 0;
    return true;
}

bool PostingFileWriter::Write(std::uint32_t key, std::span<const std::uint8_t> bytes,
                              std::string& error)
{
    for (; m_key < key; ++m_key)
        if (!EndStream(error))
            return false;
    if (key != m_key || bytes.size() > m_streams[key].bytes - m_written) {
        error = m_data.finalPath().string() + ": bytes of key " + std::to_string(key) +
                " out of order";
        return false;
    }
    while (!bytes.empty()) {
        const std::uint64_t block = m_chain[m_start[key] + m_written / kBlockSize];
        const std::uint64_t within = m_written % kBlockSize;
        const std::size_t n = std::min<std::size_t>(bytes.size(), kBlockSize - within);
        if (!Put(block * kBlockSize + within, bytes.first(n), error))
            return false;
        bytes = bytes.subspan(n);
        m_written += n;
    }
    return true;
}

bool PostingFileWriter::Finish(std::string& error)
{
    for (; m_key < m_streams.size(); ++m_key)
        if (!EndStream(error))
            return false;
    if (!Flush(error))
        return false;
    const std::size_t blockCount = std::max<std::size_t>(m_chain.size(), 1);
    std::vector<std::uint8_t> dir(kBlockLinkTable + 4 * blockCount, 0);
    if (m_chain.empty())
        PutU32(dir, kBlockLinkTable, kNoNextBlock);
    for (std::size_t k = 0; k < m_streams.size(); ++k) {
        const KeyStream& stream = m_streams[k];
        const std::size_t first = m_start[k], last = m_start[k + 1];
        PutU32(dir, kFirstBlockTable + 4 * k, first == last ? 0xFFFFFFFF : m_chain[first]);
        PutU16(dir, kPageCountTable + 2 * k,
               static_cast<std::uint16_t>(std::min<std::uint32_t>(stream.pages, 0xFFFF)));
        PutU32(dir, kOccurrenceTable + 4 * k, stream.occurrences);
        PutU32(dir, kLastPageTable + 4 * k, stream.lastPage);
        for (std::size_t b = first; b < last; ++b)
            PutU32(dir, kBlockLinkTable + 4 * std::size_t{m_chain[b]},
                   b + 1 < last ? m_chain[b + 1] : kNoNextBlock);
    }
    return m_data.Resize(std::uint64_t{blockCount} * kBlockSize, error) &&
           m_directory.Append(dir, error);
}

} // namespace vesk::build
