#include "builder/posting_streams.h"

#include "builder/varint.h"
#include "builder/variant_groups.h"

#include <algorithm>

namespace vesk::build {

PostingStreams::PostingStreams(std::span<const std::int32_t> groupOfSlot)
    : m_groupOfSlot(groupOfSlot), m_streams(kKeyCount)
{
}

bool PostingStreams::AddPage(std::uint32_t pageId, std::span<const KeyPosition> positions,
                             std::string& error)
{
    m_keyedPositions += positions.size();
    m_scratch.assign(positions.begin(), positions.end());
    for (const KeyPosition& kp : positions) {
        if (kp.key < m_groupOfSlot.size() && m_groupOfSlot[kp.key] >= 0)
            m_scratch.push_back(
                {kFirstGroupKey + static_cast<std::uint32_t>(m_groupOfSlot[kp.key]), kp.position});
    }
    std::ranges::sort(m_scratch, [](const KeyPosition& a, const KeyPosition& b) {
        return a.key != b.key ? a.key < b.key : a.position < b.position;
    });
    std::size_t runStart = 0;
    while (runStart < m_scratch.size()) {
        std::size_t runEnd = runStart + 1;
        while (runEnd < m_scratch.size() && m_scratch[runEnd].key == m_scratch[runStart].key)
            ++runEnd;
        if (!AppendRecord(pageId, std::span(m_scratch).subspan(runStart, runEnd - runStart), error))
            return false;
        runStart = runEnd;
    }
    return true;
}

bool PostingStreams::AppendRecord(std::uint32_t pageId, std::span<const KeyPosition> run,
                                  std::string& error)
{
    const std::uint32_t key = run.front().key;
    KeyStream& stream = m_streams[key];
    const std::uint32_t pageDelta = pageId - (stream.pages == 0 ? 0 : stream.lastPage);
    if (pageDelta > kMaxVarint) {
        error = "page delta " + std::to_string(pageDelta) + " of key " + std::to_string(key) +
                " is above " + std::to_string(kMaxVarint);
        return false;
    }
    if (run.back().position > kMaxVarint) {
        error = "position " + std::to_string(run.back().position) + " is above " +
                std::to_string(kMaxVarint);
        return false;
    }
    m_positionBytes.clear();
    std::uint32_t previous = 0;
    for (const KeyPosition& kp : run) {
        AppendVarint(m_positionBytes, kp.position - previous);
        previous = kp.position;
    }
    if (m_positionBytes.size() > 0xFFFF) {
        error = std::to_string(m_positionBytes.size()) + " bytes of positions for key " +
                std::to_string(key) + " on one page (at most 65535)";
        return false;
    }
    AppendVarint(stream.bytes, pageDelta);
    stream.bytes.push_back(static_cast<std::uint8_t>(m_positionBytes.size() & 0xFF));
    stream.bytes.push_back(static_cast<std::uint8_t>(m_positionBytes.size() >> 8));
    stream.bytes.insert(stream.bytes.end(), m_positionBytes.begin(), m_positionBytes.end());
    stream.lastPage = pageId;
    ++stream.pages;
    stream.occurrences += static_cast<std::uint32_t>(run.size());
    return true;
}

} // namespace vesk::build
