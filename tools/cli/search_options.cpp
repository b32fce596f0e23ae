// The search options shared by search, kwic and stats, and the search they run.
#include "cli/search_options.h"
#include "common/options.h"
#include "pane/model/results.h"
#include "query/keyword_query.h"
#include "textstore/utf8_decode.h"

#include <algorithm>
#include <cstdio>
#include <numeric>

namespace vesk::tool {

namespace {

int SearchUsage(const char* command, const char* why)
{
    std::fprintf(stderr, "vesk-tool %s: %s\n", command, why);
    return kExitUsage;
}

} // namespace

int ParseSearchOptions(const Arguments& args, SearchOptions& options, const char* command)
{
    std::vector<std::string> words;
    bool onlyWords = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::string value;
        bool ok = true;
        if (onlyWords || arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            words.push_back(arg);
        } else if (arg == "--") {
            onlyWords = true;
        } else if (TakeValue(args, i, "--target", value, ok)) {
            if (!ok)
                return SearchUsage(command, "--target needs whole, main or annot");
            if (value == "whole")
                options.indexType = kIndexWhole;
            else if (value == "main")
                options.indexType = kIndexMain;
            else if (value == "annot")
                options.indexType = kIndexAnnotations;
            else
                return SearchUsage(command, "--target needs whole, main or annot");
        } else if (TakeValue(args, i, "--scope", value, ok)) {
            if (!ok || value.empty())
                return SearchUsage(command, "--scope needs all or a record number");
            options.scope = value;
        } else if (arg == "--or") {
            options.useOr = true;
        } else if (arg == "--variants") {
            options.useVariants = true;
        } else if (arg == "--raw" || arg == "--json") {
            const OutputForm form = arg == "--raw" ? OutputForm::Raw : OutputForm::Json;
            if (options.form != OutputForm::Table && options.form != form)
                return SearchUsage(command, "--raw and --json exclude each other");
            options.form = form;
        } else {
            return SearchUsage(command, ("unknown option " + arg).c_str());
        }
    }
    if (words.empty())
        return SearchUsage(command, "no keyword given");
    for (const std::string& word : words)
        options.keyword += (options.keyword.empty() ? "" : " ") + word;
    return 0;
}

std::vector<SearchNodeTag> RecordsOfAllCategories(const ContentsModel& contents, const CIndex& index)
{
    std::vector<std::size_t> order(index.m_arrPages.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return index.m_arrPages[a] < index.m_arrPages[b]; });
    std::vector<SearchNodeTag> records;
    records.reserve(order.size());
    for (std::size_t i : order) {
        const std::uint32_t page = index.m_arrPages[i];
        const std::uint32_t count = index.m_arrCounts[i];
        const ContentsNodeTag* category = nullptr;
        for (const auto& node : contents.m_pRootNode->children) {
            if (node->ContainsPage(page + 1)) {
                category = node.get();
                break;
            }
        }
        if (category) {
            records.push_back(MakeResultRecord(*category, page, count));
        } else {
            SearchNodeTag record;
            record.nPageID = page;
            record.nCount = count;
            records.push_back(record);
        }
    }
    return records;
}

int RunSearchForRecords(const char* command, const std::filesystem::path& data, const SearchOptions& options,
                        CIndex& index, ContentsModel& contents, std::vector<SearchNodeTag>& records,
                        const ContentsNodeTag*& scope, std::u16string& markedKeyword)
{
    // Code-point forms and excluded terms as search reads them; a refused
    // keyword is exit 3 before the data is opened.
    if (const auto at = FirstInvalidUtf8(options.keyword)) {
        std::fprintf(stderr, "vesk-tool %s: %s\n", command, InvalidUtf8Reason(options.keyword, *at).c_str());
        return kExitRejected;
    }
    const KeywordQuery query = PrepareKeywordQuery(Utf8ToUtf16(options.keyword));
    if (query.refusal) {
        std::fprintf(stderr, "vesk-tool %s: %s\n", command, DescribeKeywordRefusal(*query.refusal).c_str());
        return kExitRejected;
    }
    if (!index.Open(data, "Index", options.indexType))
        return kExitNoData;
    markedKeyword = RunKeywordQuery(index, query,
                                    {.useOr = options.useOr, .useVariants = options.useVariants, .copyResults = false})
                        .keyword;
    if (!contents.LoadContents(data))
        return kExitNoData;
    scope = contents.m_pRootNode.get();
    if (options.scope == "all") {
        records = RecordsOfAllCategories(contents, index);
        return kExitOk;
    }
    std::uint64_t slot = 0;
    scope = nullptr;
    if (ParseNumber(options.scope, slot) && slot < kContentsSlots)
        scope = FindRecordNode(contents.m_pRootNode.get(), contents.Record(static_cast<std::size_t>(slot)));
    if (slot == 0 || !contents.NodeOfRecord(static_cast<std::size_t>(slot)) || !scope) {
        std::fprintf(stderr, "vesk-tool %s: no contents record %s\n", command, options.scope.c_str());
        return kExitNotFound;
    }
    BuildResults(scope, index.m_arrPages, index.m_arrCounts, records);
    return kExitOk;
}

} // namespace vesk::tool
