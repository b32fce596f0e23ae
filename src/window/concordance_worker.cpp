#include "window/concordance_worker.h"

#include "concordance/distribution.h"
#include "concordance/layer_sizes.h"
#include "engine/index.h"
#include "pane/model/contents_model.h"
#include "query/keyword_query.h"

#include <chrono>
#include <map>
#include <mutex>
#include <thread>

namespace vesk {
namespace {

int IndexTypeOfTarget(std::int32_t target)
{
    if (target == kTargetMain)
        return kIndexMain;
    if (target == kTargetAnnotations)
        return kIndexAnnotations;
    return kIndexWhole;
}

// The characters per layer of a data folder, worked out at the first use in
// this run and kept: every window after the first has them at once.
std::shared_ptr<const LayerSizes> SharedLayerSizes(const std::filesystem::path& folder, const CFileList& pages,
                                                   const std::atomic<bool>& cancelled)
{
    static std::mutex mutex;
    static std::map<std::filesystem::path, std::shared_ptr<const LayerSizes>> kept;
    const std::lock_guard lock(mutex);
    if (const auto found = kept.find(folder); found != kept.end())
        return found->second;
    auto sizes = std::make_shared<LayerSizes>();
    if (!sizes->Compute(pages, [&] { return !cancelled.load(); }))
        return nullptr;
    kept[folder] = sizes;
    return sizes;
}

} // namespace

ConcordanceWorker::ConcordanceWorker(ConcordanceRequest request, ConcordanceCallbacks callbacks)
    : m_request(std::move(request)), m_callbacks(std::move(callbacks))
{
}

void ConcordanceWorker::Run()
{
    CIndex index;
    ContentsModel contents;
    if (!index.Open(m_request.dataFolder, "Index", IndexTypeOfTarget(m_request.target)) ||
        !contents.LoadContents(m_request.dataFolder)) {
        m_callbacks.finished(false, "データを開けませんでした。");
        return;
    }
    std::u16string keyword = m_request.keyword;
    if (CIndex::CheckKeyword(keyword) != 0) {
        // The pane's search again, excluded terms included, for the
        // distribution's pages and places.
        KeywordQuery query;
        query.find = std::move(keyword);
        query.exclude = m_request.excluded;
        RunKeywordQuery(index, query,
                        {.useOr = m_request.useOr, .useVariants = m_request.useVariants, .copyResults = false});
    }
    // The distribution needs the characters per layer, read from every page
    // at their first use: it is worked out beside the rows, so neither
    // waits for the other. Both only read the index and the contents.
    std::thread distribution([&] { SendDistribution(index, contents); });
    const bool completed = StreamRows(index);
    distribution.join();
    m_callbacks.finished(completed && !m_cancelled, {});
}

void ConcordanceWorker::SendDistribution(const CIndex& index, const ContentsModel& contents)
{
    // A page store of its own: the rows' thread reads pages meanwhile.
    CFileList pages;
    pages.Open(m_request.dataFolder, "Index");
    const std::shared_ptr<const LayerSizes> sizes = SharedLayerSizes(m_request.dataFolder, pages, m_cancelled);
    if (m_cancelled)
        return;
    const PageTally found(index.m_arrPages, index.m_arrCounts);
    DistributionQuery query;
    query.found = &found;
    query.sizes = sizes.get();
    query.target = m_request.target;
    std::map<const ContentsNodeTag*, std::int32_t> slotOfNode;
    for (std::int32_t slot = 1; slot < contents.m_nRecordCount; ++slot)
        slotOfNode.emplace(contents.NodeOfRecord(static_cast<std::size_t>(slot)), slot);
    std::vector<DistributionEntry> entries;
    for (const DistributionRow& row : Distribute(*contents.m_pRootNode, query)) {
        DistributionEntry entry;
        entry.name = row.node->name;
        entry.level = row.node->level;
        entry.record = slotOfNode.count(row.node) ? slotOfNode[row.node] : 0;
        if (row.node->docID >= 1 && row.node->docNo >= 1) {
            entry.firstPage = static_cast<std::uint64_t>(row.node->docID) - 1;
            entry.endPage = entry.firstPage + static_cast<std::uint64_t>(row.node->docNo);
        }
        entry.pages = row.pages;
        entry.places = row.places;
        entry.characters = row.characters;
        entry.rate = row.Rate();
        entries.push_back(std::move(entry));
    }
    m_callbacks.distribution(std::move(entries));
}

bool ConcordanceWorker::StreamRows(const CIndex& index)
{
    using Clock = std::chrono::steady_clock;
    ConcordanceQuery query;
    query.keyword = m_request.keyword;
    query.target = m_request.target;
    query.useVariants = m_request.useVariants;
    query.contextChars = m_request.contextChars;
    std::vector<std::uint32_t> pages;
    pages.reserve(m_request.records.size());
    for (const SearchNodeTag& record : m_request.records)
        pages.push_back(record.nPageID);

    auto batch = std::make_unique<OccurrenceBatch>();
    bool sentAny = false;
    Clock::time_point lastSent = Clock::now();
    std::size_t done = 0;
    const bool completed = StreamOccurrences(index, pages, query, [&](std::uint32_t, std::span<const Occurrence> rows) {
        for (const Occurrence& row : rows) {
            batch->rows.push_back(row);
            batch->recordOfRow.push_back(static_cast<std::uint32_t>(done));
        }
        batch->pagesDone = ++done;
        const Clock::time_point now = Clock::now();
        if ((!sentAny && !batch->rows.empty()) || now - lastSent >= std::chrono::milliseconds(kBatchMs)) {
            m_callbacks.batch(std::move(batch));
            batch = std::make_unique<OccurrenceBatch>();
            sentAny = true;
            lastSent = now;
        }
        return !m_cancelled.load();
    });
    batch->pagesDone = done;
    m_callbacks.batch(std::move(batch));
    return completed;
}

} // namespace vesk
