#pragma once
// A term's scan shared by two threads in chunks of pages. One thread walks
// the term's cursors ahead without searching (a walk reads only page
// headers, several times faster than a search) and marks where each chunk
// starts: a page and every cursor's state there. Both threads take the
// chunks in order and search them, each from its start to the next chunk's
// start; the last chunk ends with the streams. A thread that finishes its
// chunk takes the next one not taken, so neither waits while work is left,
// however the pages' work is spread.
//
// A chunk's end is fixed only when the next chunk is offered. The thread
// searching the last chunk so far is given pages a stretch at a time, and a
// start is accepted only past every page given out: chunks never overlap and
// leave no page out, however the threads are scheduled.
#include "engine/posting_cursor.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

namespace vesk {

// Working room of the two threads of shared scans, kept by the index from
// search to search for its capacity only (each scan starts it empty): fresh
// memory costs a page fault every 4 KiB. Each thread writes the pages and
// counts of the chunks it searches one after another into its own arrays.
struct SharedScanRoom {
    std::vector<std::uint32_t> pages[2], counts[2];
};

struct ChunkStart {
    std::uint32_t page = 0;
    std::vector<CursorMark> marks; // per cursor (none for the first chunk: the streams' starts)
};

class ScanChunks {
public:
    // Beyond every page: the chunk runs to the end of the streams.
    static constexpr std::uint64_t kNoEnd = std::uint64_t{1} << 32;
    // Pages the thread searching the last chunk is given at a time.
    static constexpr std::uint64_t kClaimPages = 512;

    ScanChunks() { m_starts.emplace_back(); }

    // The walker offers the start of the next chunk; false when it lies
    // among pages already given out (the walker then walks on) or the scan
    // has failed.
    bool Offer(ChunkStart start)
    {
        const std::lock_guard lock(m_mutex);
        if (m_bFailed || m_bWalked || m_bEnded || start.page < m_nClaimed || start.page <= m_starts.back().page)
            return false;
        m_starts.push_back(std::move(start));
        return true;
    }

    // A thread has searched chunk index to its end. When that was the last
    // chunk, the search has reached the end of the streams: no start can be
    // offered any more, and the walker may stop.
    void Searched(std::size_t index)
    {
        const std::lock_guard lock(m_mutex);
        if (index + 1 == m_starts.size()) {
            m_bEnded = true;
            m_bStop.store(true, std::memory_order_release);
        }
    }

    // Whether the walker should stop: the search has reached the end of the
    // streams (a thread overtook the walk) or failed. Cheap enough to ask
    // every few hundred records.
    bool Stopped() const { return m_bStop.load(std::memory_order_acquire); }

    // No more chunks will be offered.
    void WalkDone()
    {
        const std::lock_guard lock(m_mutex);
        m_bWalked = true;
    }

    // Takes the next chunk not yet taken: its index and start, and whether
    // the walk was done by then (what the walker wrote before is then seen).
    // False when every chunk offered so far is taken (or the scan has failed).
    bool Take(std::size_t& index, ChunkStart& start, bool& walked)
    {
        const std::lock_guard lock(m_mutex);
        if (m_bFailed || m_nTaken == m_starts.size())
            return false;
        index = m_nTaken++;
        start = m_starts[index];
        walked = m_bWalked;
        return true;
    }

    // The thread searching chunk index, about to search page: the page below
    // which it may search without asking again (page not below it: the
    // chunk has ended).
    std::uint64_t Limit(std::size_t index, std::uint32_t page)
    {
        const std::lock_guard lock(m_mutex);
        if (m_bFailed)
            return 0;
        if (index + 1 < m_starts.size())
            return m_starts[index + 1].page;
        if (m_bWalked)
            return kNoEnd;
        m_nClaimed = std::max(m_nClaimed, std::uint64_t{page} + kClaimPages);
        return m_nClaimed;
    }

    // Damage was met: every thread stops, and the term is scanned again on
    // one thread.
    void Fail()
    {
        const std::lock_guard lock(m_mutex);
        m_bFailed = true;
        m_bStop.store(true, std::memory_order_release);
    }
    bool Failed() const
    {
        const std::lock_guard lock(m_mutex);
        return m_bFailed;
    }

    std::size_t Chunks() const
    {
        const std::lock_guard lock(m_mutex);
        return m_starts.size();
    }

private:
    mutable std::mutex m_mutex;
    std::vector<ChunkStart> m_starts; // ascending pages; the first is the streams' start
    std::size_t m_nTaken = 0;
    std::uint64_t m_nClaimed = 0;
    bool m_bWalked = false;
    bool m_bFailed = false;
    bool m_bEnded = false;
    std::atomic<bool> m_bStop{false};
};

} // namespace vesk
