#pragma once
// The search options that vesk-tool search, kwic and stats share, and the
// search they describe, run as the search pane runs it.
#include "cli/commands.h"
#include "engine/index.h"
#include "engine/search_result.h"
#include "pane/model/contents_model.h"

#include <string>
#include <string_view>
#include <vector>

namespace vesk::tool {

enum class OutputForm { Table, Raw, Json };

struct SearchOptions {
    int indexType = kIndexWhole;
    bool useOr = false;
    bool useVariants = false;
    std::string scope = "all";
    OutputForm form = OutputForm::Table;
    std::string keyword;
};

// Parses [--target whole|main|annot] [--or] [--variants] [--scope all|RECORD]
// [--raw|--json] KEYWORD...; returns 0 when fine, else the exit code after
// one line on standard error that starts "vesk-tool COMMAND: ".
int ParseSearchOptions(const Arguments& args, SearchOptions& options, const char* command = "search");

// Every page found, in page identifier order, each named within its own category.
std::vector<SearchNodeTag> RecordsOfAllCategories(const ContentsModel& contents, const CIndex& index);

// The search of options with the contents loaded: the keyword query run as
// search runs it (code-point forms, excluded terms), records as search lists
// them (scope "all": RecordsOfAllCategories; a record: BuildResults in its
// node, which scope is set to), and markedKeyword the terms to find as the
// hit pages mark them. Returns 0, or the exit code after the message
// (rejected keyword, no data, no record).
int RunSearchForRecords(const char* command, const std::filesystem::path& data, const SearchOptions& options,
                        CIndex& index, ContentsModel& contents, std::vector<SearchNodeTag>& records,
                        const ContentsNodeTag*& scope, std::u16string& markedKeyword);

} // namespace vesk::tool
