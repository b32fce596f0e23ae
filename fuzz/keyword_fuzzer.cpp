// The keyword: any UTF-16 text into CheckKeyword, SearchAnd and SearchOr,
// with and without variants, on a small sound index; then the hit page of
// the first page found, with the keyword as the search left it; then the
// text as a keyword query (code-point forms, excluded terms).
//
// Input: byte 0 chooses the form of the rest: even, UTF-16 code units (low
// byte first, so unpaired surrogates and any unit can occur); odd, UTF-8
// (converted, so the dictionary's characters and the seeds stay readable).
// Bits 1-2 of byte 0 choose the index type.
#include "fuzz_input.h"
#include "sample_corpus.h"
#include "scratch_folder.h"

#include "engine/index.h"
#include "query/keyword_query.h"
#include "textstore/utf8_decode.h"

#include <cstdio>
#include <cstdlib>

namespace {

using namespace vesk;
using namespace vesk::fuzz;

CIndex g_indexes[3];

void CheckResults(const CIndex& index, int found)
{
    Require(index.m_arrPages.size() == index.m_arrCounts.size(), "result arrays of one length");
    Require(static_cast<std::size_t>(index.m_nResults) == index.m_arrPages.size(), "m_nResults counts the pages");
    const std::uint32_t pages = index.FileList().GetRecordCount();
    for (std::uint32_t page : index.m_arrPages)
        Require(page < pages, "every page found is a page of the store");
    for (std::uint32_t count : index.m_arrCounts)
        Require(count > 0, "every page found has a place");
    Require(found >= 0, "the sum of the terms' pages is not negative");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    SilenceReports();
    static const ScratchFolder folder;
    build::BuildReport report;
    std::string error;
    if (!build::WriteDataFolder(SampleCorpus(), folder.path(), report, error)) {
        std::fprintf(stderr, "keyword fuzzer: cannot build the sample data folder: %s\n", error.c_str());
        std::abort();
    }
    for (int type = 0; type < 3; ++type)
        if (g_indexes[type].Open(folder.path(), "Index", type) != 1)
            Fail("the sample data folder opens");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::u16string keyword = (data[0] & 1) ? Utf8ToUtf16(rest) : Utf16FromBytes(rest);
    const int type = ((data[0] >> 1) & 3) % 3;
    CIndex& index = g_indexes[type];

    const int terms = CIndex::CheckKeyword(keyword);
    Require(terms >= 0, "CheckKeyword counts terms");
    for (const bool useVariants : {false, true}) {
        for (const bool useOr : {false, true}) {
            std::u16string kept = keyword;
            const int found = useOr ? index.SearchOr(kept, useVariants) : index.SearchAnd(kept, useVariants);
            Require(kept.size() == keyword.size(), "the search keeps the keyword's length");
            Require(kept.find(u' ') == std::u16string::npos || terms == 0,
                    "a searched keyword has no U+0020 left");
            if (terms == 0)
                continue;
            CheckResults(index, found);
            if (!index.m_arrPages.empty()) {
                std::string page;
                index.RenderHitPage(index.m_arrPages.front(), page, kept, type == 0 ? 0 : 3 - type, useVariants);
            }
        }
    }
    // The same text as the reader reads it: code-point forms, excluded terms.
    for (const bool useOr : {false, true}) {
        const KeywordQueryResult query = RunKeywordQuery(index, keyword, {useOr, (data[0] & 8) != 0});
        if (query.refusal)
            continue;
        Require(query.pages == index.m_arrPages && query.counts == index.m_arrCounts,
                "a keyword query leaves its pages in the index");
        CheckResults(index, 0);
    }
    return 0;
}
