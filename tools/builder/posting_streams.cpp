#include "builder/posting_streams.h"

#include "builder/varint.h"
#include "builder/variant_groups.h"

#include <algorithm>

namespace vesk::build {

PostingStreams::PostingStreams(std::span<const std::int32_t> groupOfSlot, PostingRuns& runs,
                               std::uint32_t layer)
    : m_groupOfSlot(groupOfSlot), m_runs(runs), m_layer(layer), m_streams(kKeyCount)
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
    // The positions are encoded after room for the longest header (a 3-byte
    // page delta and the 2-byte length), which then goes right before them.
    constexpr std::size_t kHeaderRoom = 5;
    m_record.resize(kHeaderRoom);
    std::uint32_t previous = 0;
    for (const KeyPosition& kp : run) {
        AppendVarint(m_record, kp.position - previous);
        previous = kp.position;
    }
    const std::size_t positionBytes = m_record.size() - kHeaderRoom;
    if (positionBytes > 0xFFFF) {
        error = std::to_string(positionBytes) + " bytes of positions for key " +
                std::to_string(key) + " on one page (at most 65535)";
        return false;
    }
    m_header.clear();
    AppendVarint(m_header, pageDelta);
    m_header.push_back(static_cast<std::uint8_t>(positionBytes & 0xFF));
    m_header.push_back(static_cast<std::uint8_t>(positionBytes >> 8));
    const std::size_t start = kHeaderRoom - m_header.size();
    std::copy(m_header.begin(), m_header.end(), m_record.begin() + static_cast<std::ptrdiff_t>(start));
    const auto record = std::span(m_record).subspan(start);
    if (!m_runs.Append(m_layer, key, record, error))
        return false;
    stream.bytes += record.size();
    stream.lastPage = pageId;
    ++stream.pages;
    stream.occurrences += static_cast<std::uint32_t>(run.size());
    return true;
}

} // namespace vesk::build
