// WriteDataFolder: one pass over the pages writes the page store and collects
// the posting streams and the pair places of all three layers; then the
// contents, the variant table, the index files and the pair files are
// written, the page-count files are derived from the index files, and all
// files are renamed into place.
#include "builder/builder.h"
#include "builder/contents_writer.h"
#include "builder/layer_worker.h"
#include "builder/output_file.h"
#include "builder/page_positions.h"
#include "builder/page_store_writer.h"
#include "builder/page_count_file.h"
#include "builder/pair_file_writer.h"
#include "builder/pair_places.h"
#include "builder/posting_file_writer.h"
#include "builder/posting_streams.h"
#include "builder/source_file.h"
#include "builder/spill_folder.h"
#include "builder/variant_groups.h"
#include "datafolder/data_folder_switch.h"
#include "engine/variant_table_check.h"
#include "textstore/code_converter.h"
#include "fileio/folder_lock.h"

#include <algorithm>
#include <array>
#include <memory>
#include <new>
#include <optional>
#include <thread>
#include <sys/stat.h>

namespace vesk::build {
namespace {

enum FileIndex {
    kStoreDirectory, kStoreContent, kContents, kVariants,
    kWholeDirectory, kWholeData, kMainDirectory, kMainData, kNotesDirectory, kNotesData,
    kWholePairs, kMainPairs, kNotesPairs,
    kWholeCounts, kMainCounts, kNotesCounts, // in the order of kPageCountLayers
    kFileCount
};

bool CheckFolders(const SourceCorpus& corpus, std::string& error)
{
    for (std::size_t i = 0; i < corpus.nodes.size(); ++i) {
        const SourceNode& node = corpus.nodes[i];
        if (node.level == 3 && !IsValidVolumeFolder(node.folder)) {
            error = (node.sourceLine > 0 ? "contents.txt line " + std::to_string(node.sourceLine)
                                         : "contents node " + std::to_string(i + 1)) +
                    ": " + QuotedText(node.folder) + " is not a valid volume folder";
            return false;
        }
    }
    return true;
}

std::size_t CountPages(const SourceCorpus& corpus)
{
    std::size_t pages = 0;
    for (const SourceNode& node : corpus.nodes)
        pages += node.pages.size();
    return pages;
}

// The posting streams and the pair places of the three layers: the whole
// text's on a thread of its own, the main text's and the annotations' on the
// caller's. The memory budget goes half to the posting streams, half to the
// pair places, and each half is shared equally by the two sides (the whole
// text is about as large as the other two layers together); all spill into
// one folder under the output.
struct Layers {
    SpillFolder spill;
    PostingRuns wholeRuns, otherRuns;
    PostingStreams whole, main, notes;
    PairPlaces wholePairs, otherPairs; // otherPairs: layer 0 main text, 1 annotations
    std::uint64_t pairBudget;          // of each side
    Layers(std::span<const std::int32_t> groups, std::uint64_t budget,
           const std::filesystem::path& outDir)
        : spill(outDir), wholeRuns(1, kKeyCount, budget / 4, spill),
          otherRuns(2, kKeyCount, budget / 4, spill), whole(groups, wholeRuns, 0),
          main(groups, otherRuns, 0), notes(groups, otherRuns, 1),
          wholePairs(1, budget / 4, spill), otherPairs(2, budget / 4, spill), pairBudget(budget / 4)
    {
    }
};

// Writes a layer's two index files from its streams' summaries and bytes.
bool WriteLayer(PostingRuns& runs, std::uint32_t layer, const PostingStreams& streams,
                BlockLayout layout, OutputFile& directory, OutputFile& data, std::string& error)
{
    PostingFileWriter writer(streams.streams(), layout, directory, data);
    return writer.Start(error) &&
           runs.ReadLayer(
               layer,
               [&](std::uint32_t key, std::span<const std::uint8_t> bytes) {
                   return writer.Write(key, bytes, error);
               },
               error) &&
           writer.Finish(error);
}

// Writes the index files and the pair files of the three layers, the whole
// text's on a thread of its own. The first error in layer order is reported.
// Each pair file records the generation id it switches in with.
bool WriteIndexFiles(Layers& layers, BlockLayout layout, const std::string& generationId,
                     std::span<OutputFile> files, std::string& error)
{
    const auto pairRuns = [](const PairPlaces& pairs, std::uint32_t layer) {
        const std::span<const PairRun> runs = pairs.runs(layer);
        return std::vector<PairRun>(runs.begin(), runs.end());
    };
    std::string wholeError;
    bool wholeOk = false;
    std::jthread whole([&] { // joined also if this thread throws
        try {
            wholeOk = layers.wholePairs.Finish(wholeError) &&
                      layers.wholeRuns.FinishAppending(wholeError) &&
                      WriteLayer(layers.wholeRuns, 0, layers.whole, layout,
                                 files[kWholeDirectory], files[kWholeData], wholeError) &&
                      WritePairFile(generationId, pairRuns(layers.wholePairs, 0), layers.spill,
                                    layers.pairBudget, files[kWholePairs], wholeError);
        } catch (const std::bad_alloc&) {
            wholeError = "out of memory";
        }
    });
    const bool othersOk = layers.otherPairs.Finish(error) &&
                          layers.otherRuns.FinishAppending(error) &&
                          WriteLayer(layers.otherRuns, 0, layers.main, layout,
                                     files[kMainDirectory], files[kMainData], error) &&
                          WriteLayer(layers.otherRuns, 1, layers.notes, layout,
                                     files[kNotesDirectory], files[kNotesData], error) &&
                          WritePairFile(generationId, pairRuns(layers.otherPairs, 0), layers.spill,
                                        layers.pairBudget, files[kMainPairs], error) &&
                          WritePairFile(generationId, pairRuns(layers.otherPairs, 1), layers.spill,
                                        layers.pairBudget, files[kNotesPairs], error);
    whole.join();
    if (!wholeOk)
        error = wholeError;
    return wholeOk && othersOk;
}

// The table as `vesk-tool check` reads it: the builder refuses what the
// check would name, so that every folder it writes passes the check.
bool CheckVariantTable(const SourceCorpus& corpus, std::string& error)
{
    std::vector<std::string> problems;
    std::size_t groups = 0;
    if (CheckVariantTableBytes(corpus.variantTable, problems, groups))
        return true;
    std::string_view first = problems.front();
    if (first.starts_with("yitizi.txt"))
        first.remove_prefix(std::string_view("yitizi.txt").size());
    error = corpus.variantSource + std::string(first);
    if (problems.size() > 1)
        error += " (and " + std::to_string(problems.size() - 1) + " more problems)";
    return false;
}

// Stores every page and collects its positions and pairs in the three
// layers, the whole text's through a LayerWorker. When both sides fail, the
// error of the earlier page is reported (on one page: the store's, then the
// layers' in order), as a build in one pass would.
bool WritePages(const SourceCorpus& corpus, PageStoreWriter& store, Layers& layers, std::string& error,
                std::vector<std::string>& warnings, const ProgressFn& progress)
{
    const std::size_t total = CountPages(corpus);
    LayerWorker wholeWorker(layers.whole, &layers.wholePairs);
    PageLayers positions;
    std::string loaded; // a listed page, read from its file
    std::uint32_t pageId = 0;
    std::optional<std::uint32_t> failedPage; // on this side
    bool stopped = false;
    for (std::size_t n = 0; n < corpus.nodes.size() && !stopped; ++n) {
        const SourceNode& node = corpus.nodes[n];
        for (std::size_t i = 0; i < node.pages.size(); ++i, ++pageId) {
            const auto pageNumber = static_cast<std::uint32_t>(node.firstPage + i);
            const std::string name = StorePageName(node.folder, pageNumber);
            const bool listed = node.pagesListed && pageId < corpus.pageSources.size();
            if (listed && !ReadPageFile(corpus.pageSources[pageId], loaded, error)) {
                failedPage = pageId;
                stopped = true;
                break;
            }
            const std::string& page = listed ? loaded : node.pages[i];
            std::string where =
                pageId < corpus.pageSources.size() ? ShownText(corpus.pageSources[pageId]) : "page " + ShownText(name);
            if (!CollectPagePositions(page, pageNumber, positions))
                warnings.push_back(where + ": no text cell (" + (pageNumber % 2 == 0 ? "first" : "second") +
                                   " <TD> cell for page number " + std::to_string(pageNumber) +
                                   "); nothing of it is indexed");
            std::string problem;
            if (!store.AddPage(name, page, problem)) {
                // A full disk is the output's fault, not the page's: the
                // line then names only the file that could not be written.
                error = store.OutputFailed() ? problem : where + ": " + problem;
                failedPage = pageId;
                stopped = true;
                break;
            }
            if (!wholeWorker.AddPage(pageId, where, positions.whole)) {
                stopped = true; // the worker's error is reported below
                break;
            }
            if (!layers.main.AddPage(pageId, positions.main, problem) ||
                !layers.notes.AddPage(pageId, positions.annotations, problem) ||
                !layers.otherPairs.AddPage(0, pageId, positions.main, problem) ||
                !layers.otherPairs.AddPage(1, pageId, positions.annotations, problem)) {
                error = where + ": " + problem;
                failedPage = pageId;
                stopped = true;
                break;
            }
            if (progress && (pageId % 256 == 0))
                progress("pages", static_cast<double>(pageId) / static_cast<double>(total));
        }
    }
    std::uint32_t wholeFailedPage = 0;
    std::string wholeError;
    if (!wholeWorker.Finish(wholeFailedPage, wholeError)) {
        if (!failedPage || wholeFailedPage <= *failedPage)
            error = wholeError;
        return false;
    }
    return !failedPage && store.Finish(error);
}

void MeasureFiles(const std::array<OutputFile, kFileCount>& files, BuildReport& report)
{
    report.apparentBytes = report.diskBytes = 0;
    for (const OutputFile& file : files) {
        struct stat st {};
        if (::stat(file.finalPath().c_str(), &st) == 0) {
            report.apparentBytes += static_cast<std::uint64_t>(st.st_size);
            report.diskBytes += static_cast<std::uint64_t>(st.st_blocks) * 512;
        }
    }
}

} // namespace

const std::vector<std::string>& DataFileNames()
{
    static const std::vector<std::string> names = {
        "Index-fl.h", "Index-fl.cnt", "kav.dir", "yitizi.txt",
        "Index-idx.h", "Index-idx.m", "Index_content-idx.h", "Index_content-idx.m",
        "Index_desc-idx.h", "Index_desc-idx.m",
        "Index-idx.pairs", "Index_content-idx.pairs", "Index_desc-idx.pairs",
        "Index-idx.counts", "Index_content-idx.counts", "Index_desc-idx.counts"};
    return names;
}

bool WriteDataFolder(const SourceCorpus& corpus, const std::filesystem::path& outDir,
                     BuildReport& report, std::string& error, const ProgressFn& progress,
                     const WriteOptions& options)
{
    report = {};
    std::vector<ContentsRecord> records;
    std::vector<std::int32_t> groupOfSlot;
    if (!MakeContentsRecords(corpus, records, error) || !CheckFolders(corpus, error) ||
        !CheckVariantTable(corpus, error) || !GroupOfSlot(corpus.variantTable, groupOfSlot, error))
        return false;

    fileio::FolderLock lock;
    if (!options.callerHoldsLock && !lock.Acquire(outDir, error))
        return false;
    DataFolderSwitch change;
    if (!change.Prepare(outDir, error))
        return false;
    std::array<OutputFile, kFileCount> files;
    for (std::size_t f = 0; f < files.size(); ++f) {
        const std::string& name = DataFileNames()[f];
        if (!files[f].Create(outDir / name, change.TemporaryPath(name), error))
            return false;
    }

    RemoveStaleSpillFolders(outDir); // under the writer lock: no other build spills there
    auto layers = std::make_unique<Layers>(groupOfSlot, options.bufferBytes, outDir);
    PageStoreWriter store(files[kStoreDirectory], files[kStoreContent]);
    if (!WritePages(corpus, store, *layers, error, report.warnings, progress) ||
        !WriteContents(records, files[kContents], error) ||
        !files[kVariants].Append(corpus.variantTable, error))
        return false;

    report.pages = static_cast<std::uint32_t>(CountPages(corpus));
    report.wholeChars = layers->whole.keyedPositions();
    report.mainChars = layers->main.keyedPositions();
    report.annotationChars = layers->notes.keyedPositions();
    const BlockLayout layout =
        options.interleaveBlocks ? BlockLayout::interleaved : BlockLayout::contiguous;
    if (progress)
        progress("index", 0.0);
    if (!WriteIndexFiles(*layers, layout, change.Id(), files, error))
        return false;
    report.spilledRuns = layers->wholeRuns.spilledRuns() + layers->otherRuns.spilledRuns();
    report.pairRuns = layers->wholePairs.spilledRuns() + layers->otherPairs.spilledRuns();
    layers.reset();
    // Each page-count file is derived from its layer's posting files as
    // written, and records the generation it switches in with.
    if (!WritePageCountFiles(change, std::span(files).subspan(kWholeCounts, 3), error))
        return false;

    for (OutputFile& file : files)
        if (!file.Close(error))
            return false;
    // A switch that stops half-way leaves the marker "switching"; the
    // temporary files not yet renamed are removed with the OutputFiles.
    if (!change.Switch(DataFileNames(), error))
        return false;
    for (OutputFile& file : files)
        file.MarkSwitched();
    MeasureFiles(files, report);
    if (progress)
        progress("done", 1.0);
    return true;
}

} // namespace vesk::build
