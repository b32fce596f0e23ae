// vesk-tool kwic: every occurrence the hit pages of a search mark, with its
// context, one line each (concordance/occurrences.h).
#include "cli/commands.h"
#include "cli/concordance_search.h"
#include "cli/search_options.h"
#include "cli/table_output.h"
#include "common/options.h"
#include "concordance/occurrence_table.h"
#include "concordance/occurrences.h"
#include "pane/model/results.h"
#include "textstore/utf8_decode.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

namespace vesk::tool {
namespace {

constexpr const char* kCommand = "kwic";

constexpr TableColumn kColumns[] = {
    {"category"}, {"work"},   {"volume"}, {"page_no", true}, {"page_id", true},
    {"anchor", true}, {"layer"}, {"left"}, {"match"}, {"right"},
};

struct KwicOptions {
    SearchOptions search;
    std::int64_t context = kDefaultContextChars;
    OccurrenceOrder order = OccurrenceOrder::Page;
    TableForm form = TableForm::Plain;
};

int ParseKwicOptions(Arguments args, KwicOptions& options)
{
    static constexpr std::string_view kSorts[] = {"page", "left", "right"};
    std::string sort = "page";
    if (const int code = TakeTableForm(kCommand, args, options.form))
        return code;
    if (const int code = TakeNumberOption(kCommand, args, "--context", 0, kMaxContextChars, options.context))
        return code;
    if (const int code = TakeChoiceOption(kCommand, args, "--sort", kSorts, sort))
        return code;
    options.order = sort == "left" ? OccurrenceOrder::Left
                    : sort == "right" ? OccurrenceOrder::Right
                                      : OccurrenceOrder::Page;
    if (const int code = ParseSearchOptions(args, options.search, kCommand))
        return code;
    if (options.search.form != OutputForm::Table) {
        std::fprintf(stderr, "vesk-tool kwic: --raw is not a kwic option\n");
        return kExitUsage;
    }
    return 0;
}

std::string LayerName(std::int32_t layer)
{
    return layer == kLayerAnnotation ? "annot" : "main";
}

// Writes rows as they come.
class KwicWriter {
public:
    KwicWriter(TableForm form, const std::vector<SearchNodeTag>& records) : m_form(form), m_records(records)
    {
        Write(FormatHeader(form, kColumns));
    }

    void Row(const SearchNodeTag& record, std::int32_t anchor, std::int32_t layer, std::string_view left,
             std::string_view match, std::string_view right)
    {
        const std::string fields[] = {
            Utf8(record.strCategory), Utf8(record.strTitle), Utf8(record.strVolume),
            std::to_string(record.nPageNo), std::to_string(record.nPageID), std::to_string(anchor),
            LayerName(layer), std::string(left), std::string(match), std::string(right)};
        Write(FormatRow(m_form, kColumns, fields));
        ++m_rows;
    }

    // The totals line of the plain form: the search's pages and places and
    // the occurrences marked.
    void Totals() const
    {
        if (m_form != TableForm::Plain)
            return;
        std::uint64_t places = 0;
        for (const SearchNodeTag& record : m_records)
            places += record.nCount;
        Write(FormatSummary(static_cast<std::int32_t>(m_records.size()), static_cast<std::int32_t>(places)) +
              "用例 " + std::to_string(m_rows) + " 件。\n");
    }

private:
    TableForm m_form;
    const std::vector<SearchNodeTag>& m_records;
    std::uint64_t m_rows = 0;
};

} // namespace

int RunKwic(const std::filesystem::path& data, const Arguments& args)
{
    KwicOptions options;
    if (const int code = ParseKwicOptions(args, options))
        return code;
    ConcordanceSearch search;
    if (const int code = RunConcordanceSearch(kCommand, data, options.search, static_cast<std::int32_t>(options.context), search))
        return code;
    CIndex& index = search.index;
    const std::vector<SearchNodeTag>& records = search.records;
    const ConcordanceQuery& query = search.query;
    std::vector<std::uint32_t> pages;
    pages.reserve(records.size());
    for (const SearchNodeTag& record : records)
        pages.push_back(record.nPageID);

    KwicWriter writer(options.form, records);
    OccurrenceTable table;
    std::size_t next = 0;
    StreamOccurrences(index, pages, query, [&](std::uint32_t, std::span<const Occurrence> rows) {
        const SearchNodeTag& record = records[next];
        if (options.order == OccurrenceOrder::Page) {
            for (const Occurrence& row : rows)
                writer.Row(record, row.anchor, row.layer, row.left, row.match, row.right);
        } else {
            table.Append(rows, static_cast<std::uint32_t>(next));
        }
        ++next;
        return true;
    });
    for (std::uint32_t i : table.Ordered(options.order)) {
        const OccurrenceRow& row = table.Row(i);
        writer.Row(records[row.record], row.anchor, row.layer, table.Left(row), table.Match(row), table.Right(row));
    }
    writer.Totals();
    return kExitOk;
}

} // namespace vesk::tool
