#pragma once
// Where a term's scan passes from the first of two threads to the second.
// The first thread scans from the start and asks for pages a stretch at a
// time; the second walks its cursors ahead without searching, and at the
// point where the rest of the streams is about as much work as the first
// thread's part, it fixes the split: at that page, or past every page the
// first thread has already been given. So the two parts never overlap and
// leave no page out, however the threads are scheduled.
#include <algorithm>
#include <cstdint>
#include <mutex>

namespace vesk {

class ScanSplit {
public:
    // Beyond every page: the first thread scans to the end.
    static constexpr std::uint64_t kNoSplit = std::uint64_t{1} << 32;
    // Pages the first thread is given at a time.
    static constexpr std::uint64_t kClaimPages = 512;

    // The first thread, about to scan page: the page below which it may scan
    // (page included when above page); once the split is fixed, the split.
    std::uint64_t ClaimFrom(std::uint32_t page)
    {
        const std::lock_guard lock(m_mutex);
        if (m_bFixed)
            return m_nSplit;
        m_nClaimed = std::max(m_nClaimed, std::uint64_t{page} + kClaimPages);
        return m_nClaimed;
    }

    // The second thread, its cursors walked to page: fixes the split there,
    // or past what the first thread has been given, and returns it.
    std::uint64_t Fix(std::uint32_t page)
    {
        const std::lock_guard lock(m_mutex);
        m_bFixed = true;
        m_nSplit = std::max<std::uint64_t>(page, m_nClaimed);
        return m_nSplit;
    }

    // The second thread leaves every page to the first.
    void GiveUp()
    {
        const std::lock_guard lock(m_mutex);
        m_bFixed = true;
        m_nSplit = kNoSplit;
    }

private:
    std::mutex m_mutex;
    std::uint64_t m_nClaimed = 0;
    std::uint64_t m_nSplit = kNoSplit;
    bool m_bFixed = false;
};

} // namespace vesk
