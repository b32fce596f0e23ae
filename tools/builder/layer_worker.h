#pragma once
// Appends pages to one layer's posting streams (and, when given, its pair
// places) on a thread of its own, so that the builder encodes two layers at
// once. Pages are handed over in
// batches through a short queue (a few hundred pages' positions at most).
#include "builder/page_positions.h"
#include "builder/pair_places.h"
#include "builder/posting_streams.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vesk::build {

class LayerWorker {
public:
    // pairs, when not null, takes the pages' pairs as its layer 0.
    explicit LayerWorker(PostingStreams& streams, PairPlaces* pairs = nullptr);
    LayerWorker(const LayerWorker&) = delete;
    LayerWorker& operator=(const LayerWorker&) = delete;
    ~LayerWorker(); // without Finish: stops the thread, dropping pages not yet appended

    // Hands over the next page (its positions are taken; positions is left
    // empty for reuse); name is the page as an error names it (its source
    // file, or "page" and its name in the store). False once the worker has
    // failed.
    bool AddPage(std::uint32_t pageId, std::string name, std::vector<KeyPosition>& positions);

    // Waits until every page handed over is appended. False with the first
    // failure: the page id and a one-line error naming the page.
    bool Finish(std::uint32_t& failedPage, std::string& error);

private:
    struct Page {
        std::uint32_t id = 0;
        std::string name;
        std::vector<KeyPosition> positions;
    };
    void Run();
    void Hand(std::vector<Page> batch);

    PostingStreams& m_streams;
    PairPlaces* m_pairs;
    std::vector<Page> m_batch; // being filled by the caller
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::vector<Page>> m_queue;
    std::vector<std::vector<KeyPosition>> m_spare; // emptied position vectors
    bool m_closed = false, m_failed = false;
    std::uint32_t m_failedPage = 0;
    std::string m_error;
    std::thread m_thread;
};

} // namespace vesk::build
