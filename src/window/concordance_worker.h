#pragma once
// The work behind the concordance window, run off the UI thread: the search
// again on an index of its own, the distribution over the whole corpus, and
// the occurrences of the result pages in batches. Everything leaves through
// the callbacks, called on the worker's thread; Cancel stops it between pages.
#include "concordance/occurrences.h"
#include "engine/search_result.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vesk {

class CIndex;
class ContentsModel;

struct ConcordanceRequest {
    std::filesystem::path dataFolder;
    std::u16string keyword;             // as the search pane keeps it
    std::u16string excluded;            // the search's excluded terms, U+0020 between them
    bool useOr = false;
    std::int32_t target = kTargetWhole; // the pane's target radio, as its hit pages use it
    bool useVariants = false;
    std::vector<SearchNodeTag> records; // the result records, in list order
    std::int32_t contextChars = kDefaultContextChars;
};

// One contents node of the distribution, in contents order.
struct DistributionEntry {
    std::u16string name;
    std::int32_t level = 0;
    std::int32_t record = 0; // contents record slot, for the scope
    std::uint64_t firstPage = 0;
    std::uint64_t endPage = 0;
    std::uint64_t pages = 0;
    std::uint64_t places = 0;
    std::uint64_t characters = 0;
    double rate = 0;
};

struct OccurrenceBatch {
    std::vector<Occurrence> rows;
    std::vector<std::uint32_t> recordOfRow; // index into the request's records
    std::size_t pagesDone = 0;
};

struct ConcordanceCallbacks {
    std::function<void(std::vector<DistributionEntry>)> distribution;
    std::function<void(std::unique_ptr<OccurrenceBatch>)> batch;
    std::function<void(bool completed, std::string problem)> finished;
};

class ConcordanceWorker {
public:
    ConcordanceWorker(ConcordanceRequest request, ConcordanceCallbacks callbacks);

    void Run();
    void Cancel() { m_cancelled = true; }

    // A batch goes out at the first page with occurrences, then whenever
    // this much time has passed since the last.
    static constexpr int kBatchMs = 60;

private:
    void SendDistribution(const CIndex& index, const ContentsModel& contents);
    bool StreamRows(const CIndex& index);

    ConcordanceRequest m_request;
    ConcordanceCallbacks m_callbacks;
    std::atomic<bool> m_cancelled{false};
};

} // namespace vesk
