#include "builder/layer_worker.h"

#include <new>
#include <utility>

namespace vesk::build {
namespace {

constexpr std::size_t kBatchPages = 64;
constexpr std::size_t kQueuedBatches = 4;

// The streams' and the pairs' AddPage; running out of memory on this thread
// is an error of the page like any other, not an end of the process.
bool AppendPage(PostingStreams& streams, PairPlaces* pairs, std::uint32_t pageId,
                std::span<const KeyPosition> positions, std::string& problem)
{
    try {
        return streams.AddPage(pageId, positions, problem) &&
               (pairs == nullptr || pairs->AddPage(0, pageId, positions, problem));
    } catch (const std::bad_alloc&) {
        problem = "out of memory";
        return false;
    }
}

} // namespace

LayerWorker::LayerWorker(PostingStreams& streams, PairPlaces* pairs) : m_streams(streams), m_pairs(pairs)
{
    m_thread = std::thread([this] { Run(); });
}

LayerWorker::~LayerWorker()
{
    if (!m_thread.joinable())
        return;
    {
        std::lock_guard lock(m_mutex);
        m_closed = true;
        m_queue.clear();
    }
    m_changed.notify_all();
    m_thread.join();
}

void LayerWorker::Hand(std::vector<Page> batch)
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return m_failed || m_queue.size() < kQueuedBatches; });
    if (!m_failed)
        m_queue.push_back(std::move(batch));
    lock.unlock();
    m_changed.notify_all();
}

bool LayerWorker::AddPage(std::uint32_t pageId, std::string name,
                          std::vector<KeyPosition>& positions)
{
    m_batch.push_back({pageId, std::move(name), std::move(positions)});
    {
        std::lock_guard lock(m_mutex);
        if (m_failed)
            return false;
        positions = std::vector<KeyPosition>();
        if (!m_spare.empty()) {
            positions = std::move(m_spare.back());
            m_spare.pop_back();
        }
    }
    if (m_batch.size() == kBatchPages)
        Hand(std::exchange(m_batch, {}));
    return true;
}

bool LayerWorker::Finish(std::uint32_t& failedPage, std::string& error)
{
    if (!m_batch.empty())
        Hand(std::exchange(m_batch, {}));
    {
        std::lock_guard lock(m_mutex);
        m_closed = true; // the thread appends what is queued, then ends
    }
    m_changed.notify_all();
    m_thread.join();
    if (!m_failed)
        return true;
    failedPage = m_failedPage;
    error = m_error;
    return false;
}

void LayerWorker::Run()
{
    while (true) {
        std::vector<Page> batch;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [&] { return m_closed || !m_queue.empty(); });
            if (m_queue.empty() || m_failed)
                return;
            batch = std::move(m_queue.front());
            m_queue.pop_front();
        }
        m_changed.notify_all();
        for (Page& page : batch) {
            std::string problem;
            if (!AppendPage(m_streams, m_pairs, page.id, page.positions, problem)) {
                std::lock_guard lock(m_mutex);
                m_failed = true;
                m_failedPage = page.id;
                m_error = page.name + ": " + problem;
                m_queue.clear();
                m_changed.notify_all();
                return;
            }
            page.positions.clear();
        }
        std::lock_guard lock(m_mutex);
        for (Page& page : batch)
            if (m_spare.size() < kBatchPages * (kQueuedBatches + 2))
                m_spare.push_back(std::move(page.positions));
    }
}

} // namespace vesk::build
