#include "cli/concordance_search.h"

namespace vesk::tool {

int RunConcordanceSearch(const char* command, const std::filesystem::path& data, const SearchOptions& options,
                         std::int32_t contextChars, ConcordanceSearch& search)
{
    // The terms to find as the search leaves them for the hit pages (U+3000 between them).
    if (const int code = RunSearchForRecords(command, data, options, search.index, search.contents, search.records,
                                             search.scope, search.query.keyword))
        return code;
    search.query.target = TargetOfIndexType(options.indexType);
    search.query.useVariants = options.useVariants;
    search.query.contextChars = contextChars;
    return 0;
}

} // namespace vesk::tool
