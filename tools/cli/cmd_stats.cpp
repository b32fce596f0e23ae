// vesk-tool stats: how a search's places are distributed over categories,
// works and volumes, with the characters of the searched layer, the rate per
// 10,000 characters and the occurrences the hit pages mark
// (concordance/distribution.h).
#include "cli/commands.h"
#include "cli/concordance_search.h"
#include "cli/search_options.h"
#include "cli/table_output.h"
#include "common/options.h"
#include "concordance/distribution.h"
#include "concordance/occurrences.h"
#include "pane/model/results.h"
#include "textstore/utf8_decode.h"

#include <algorithm>
#include <cstdio>

namespace vesk::tool {
namespace {

constexpr const char* kCommand = "stats";

constexpr TableColumn kColumns[] = {
    {"path"}, {"pages", true}, {"places", true}, {"characters", true}, {"rate", true}, {"marked", true},
};

struct StatsOptions {
    SearchOptions search;
    std::int64_t level = 3;
    TableForm form = TableForm::Plain;
};

int ParseStatsOptions(Arguments args, StatsOptions& options)
{
    if (const int code = TakeTableForm(kCommand, args, options.form))
        return code;
    if (const int code = TakeNumberOption(kCommand, args, "--level", 1, 3, options.level))
        return code;
    if (const int code = ParseSearchOptions(args, options.search, kCommand))
        return code;
    if (options.search.form != OutputForm::Table) {
        std::fprintf(stderr, "vesk-tool stats: --raw is not a stats option\n");
        return kExitUsage;
    }
    return 0;
}

std::string FormatRate(double rate)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", rate);
    return text;
}

// The pages found inside node's range, in page identifier order (the pages
// whose occurrences are counted).
std::vector<std::uint32_t> PagesInside(const ContentsNodeTag& node, std::span<const std::uint32_t> found)
{
    std::vector<std::uint32_t> pages;
    for (std::uint32_t page : found)
        if (node.level == 0 || node.ContainsPage(page + 1))
            pages.push_back(page);
    std::sort(pages.begin(), pages.end());
    pages.erase(std::unique(pages.begin(), pages.end()), pages.end());
    return pages;
}

} // namespace

int RunStats(const std::filesystem::path& data, const Arguments& args)
{
    StatsOptions options;
    if (const int code = ParseStatsOptions(args, options))
        return code;
    ConcordanceSearch search;
    if (const int code = RunConcordanceSearch(kCommand, data, options.search, 0, search))
        return code;
    CIndex& index = search.index;
    const std::vector<SearchNodeTag>& records = search.records;
    const ContentsNodeTag* scope = search.scope;
    const ConcordanceQuery& query = search.query;
    std::vector<std::uint32_t> markedPages;
    std::vector<std::uint32_t> markedCounts;
    StreamOccurrences(index, PagesInside(*scope, index.m_arrPages), query,
                      [&](std::uint32_t page, std::span<const Occurrence> rows) {
                          markedPages.push_back(page);
                          markedCounts.push_back(static_cast<std::uint32_t>(rows.size()));
                          return true;
                      });

    LayerSizes sizes;
    sizes.Compute(index.FileList());
    const PageTally found(index.m_arrPages, index.m_arrCounts);
    const PageTally marked(markedPages, markedCounts);
    DistributionQuery distribution;
    distribution.found = &found;
    distribution.sizes = &sizes;
    distribution.target = query.target;
    distribution.marked = &marked;
    distribution.maxLevel = static_cast<std::int32_t>(options.level);

    Write(FormatHeader(options.form, kColumns));
    for (const DistributionRow& row : Distribute(*scope, distribution)) {
        const std::string fields[] = {NodePath(*row.node), std::to_string(row.pages), std::to_string(row.places),
                                      std::to_string(row.characters), FormatRate(row.Rate()),
                                      std::to_string(row.marked.value_or(0))};
        Write(FormatRow(options.form, kColumns, fields));
    }
    if (options.form == TableForm::Plain) {
        std::uint64_t places = 0;
        for (const SearchNodeTag& record : records)
            places += record.nCount;
        Write(FormatSummary(static_cast<std::int32_t>(records.size()), static_cast<std::int32_t>(places)) +
              "用例 " + std::to_string(marked.Total().count) + " 件。\n");
    }
    return kExitOk;
}

} // namespace vesk::tool
