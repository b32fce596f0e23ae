// vesk-tool search: runs a keyword query as the search pane does (code-point
// forms, excluded terms, query/keyword_query.h) and prints the result records
// (or the result arrays).
#include "cli/commands.h"
#include "cli/search_options.h"
#include "concordance/table_text.h"
#include "common/options.h"
#include "common/standard_output.h"
#include "engine/index.h"
#include "pane/model/contents_model.h"
#include "pane/model/results.h"
#include "query/keyword_query.h"
#include "textstore/code_converter.h"
#include "textstore/utf8_decode.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <numeric>
#include <span>

namespace vesk::tool {
namespace {

std::string Utf8(const std::u16string& text)
{
    std::string out;
    Utf16ToUtf8(text, out, true);
    return out;
}

void PrintRecords(const std::vector<SearchNodeTag>& records, OutputForm form)
{
    std::uint32_t places = 0;
    for (const SearchNodeTag& r : records) {
        places += r.nCount;
        if (form == OutputForm::Json)
            Out().Print("{\"category\": %s, \"title\": %s, \"volume\": %s, \"page_no\": %u, \"count\": %u, "
                        "\"page_id\": %u}\n",
                        JsonString(Utf8(r.strCategory)).c_str(), JsonString(Utf8(r.strTitle)).c_str(),
                        JsonString(Utf8(r.strVolume)).c_str(), r.nPageNo, r.nCount, r.nPageID);
        else
            Out().Print("%s\t%s\t%s\t%u\t%u\t%u\n", Utf8(r.strCategory).c_str(), Utf8(r.strTitle).c_str(),
                        Utf8(r.strVolume).c_str(), r.nPageNo, r.nCount, r.nPageID);
    }
    const auto pages = static_cast<std::int32_t>(records.size());
    if (form == OutputForm::Json)
        Out().Print("{\"pages\": %d, \"places\": %d}\n", pages, static_cast<std::int32_t>(places));
    else
        Out().Print("%s\n", FormatSummary(pages, static_cast<std::int32_t>(places)).c_str());
}

// "PAGE\tCOUNT\n" per result, formatted straight into the output's buffer:
// printf's format parsing costs about a thousand instructions a line, more
// than the search itself for the most frequent characters.
void PrintRawResults(std::span<const std::uint32_t> pages, std::span<const std::uint32_t> counts)
{
    constexpr std::size_t kDigitsMax = 10;                // of a u32
    constexpr std::size_t kLineMax = 2 * kDigitsMax + 2; // and the two separators
    StandardOutput& output = Out();
    for (std::size_t i = 0; i < pages.size() && i < counts.size(); ++i) {
        char* const line = output.Room(kLineMax);
        char* out = std::to_chars(line, line + kDigitsMax, pages[i]).ptr;
        *out++ = '\t';
        out = std::to_chars(out, out + kDigitsMax, counts[i]).ptr;
        *out++ = '\n';
        output.Commit(static_cast<std::size_t>(out - line));
    }
}

} // namespace

int RunSearch(const std::filesystem::path& data, const Arguments& args)
{
    SearchOptions options;
    if (const int code = ParseSearchOptions(args, options))
        return code;
    if (const auto at = FirstInvalidUtf8(options.keyword)) {
        std::fprintf(stderr, "vesk-tool search: %s\n", InvalidUtf8Reason(options.keyword, *at).c_str());
        return kExitRejected;
    }
    // Code-point forms and excluded terms are read, and the keyword checked,
    // before the data is opened: a refused keyword is exit 3 with any data.
    const KeywordQuery query = PrepareKeywordQuery(Utf8ToUtf16(options.keyword));
    if (query.refusal) {
        std::fprintf(stderr, "vesk-tool search: %s\n", DescribeKeywordRefusal(*query.refusal).c_str());
        return kExitRejected;
    }
    CIndex index;
    if (!index.Open(data, "Index", options.indexType))
        return kExitNoData;
    RunKeywordQuery(index, query,
                    {.useOr = options.useOr, .useVariants = options.useVariants, .copyResults = false});

    if (options.form == OutputForm::Raw) {
        PrintRawResults(index.m_arrPages, index.m_arrCounts);
        return kExitOk;
    }
    ContentsModel contents;
    if (!contents.LoadContents(data))
        return kExitNoData;
    std::vector<SearchNodeTag> records;
    if (options.scope == "all") {
        records = RecordsOfAllCategories(contents, index);
    } else {
        std::uint64_t slot = 0;
        const ContentsNodeTag* scope = nullptr;
        if (ParseNumber(options.scope, slot) && slot < kContentsSlots)
            scope = FindRecordNode(contents.m_pRootNode.get(), contents.Record(static_cast<std::size_t>(slot)));
        if (slot == 0 || !contents.NodeOfRecord(static_cast<std::size_t>(slot)) || !scope) {
            std::fprintf(stderr, "vesk-tool search: no contents record %s\n", options.scope.c_str());
            return kExitNotFound;
        }
        BuildResults(scope, index.m_arrPages, index.m_arrCounts, records);
    }
    PrintRecords(records, options.form);
    return kExitOk;
}

} // namespace vesk::tool
