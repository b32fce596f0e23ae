#pragma once
// The search behind vesk-tool kwic and stats: the search as `search` runs it
// (RunSearchForRecords), and the query that reads the occurrences its hit
// pages mark.
#include "cli/search_options.h"
#include "concordance/occurrences.h"

#include <cstdint>
#include <filesystem>
#include <vector>

namespace vesk::tool {

struct ConcordanceSearch {
    CIndex index;
    ContentsModel contents;
    std::vector<SearchNodeTag> records;
    const ContentsNodeTag* scope = nullptr;
    ConcordanceQuery query;
};

// Runs the search of options into search, with contextChars characters of
// context each side for the occurrences. Returns 0, or the exit code after
// the message (as RunSearchForRecords).
int RunConcordanceSearch(const char* command, const std::filesystem::path& data, const SearchOptions& options,
                         std::int32_t contextChars, ConcordanceSearch& search);

} // namespace vesk::tool
