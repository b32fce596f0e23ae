#pragma once
// A keyword as the user types it, turned into what the engine searches:
//
//   keyword  := term (sep term)*        sep: U+0020 or U+3000
//   term     := "-" phrase              an excluded term
//             | phrase                  a term to find
//
// Code-point forms (code_point_forms.h) are replaced first. A keyword
// without forms and without excluded terms goes to CIndex::SearchAnd /
// SearchOr exactly as typed (ideographic spaces made ASCII), so it finds
// what the engine finds. With excluded terms the engine searches the terms
// to find, then the excluded terms as an "or" keyword with the same variant
// option, and every page that holds an excluded term is dropped; pages keep
// the engine's order and the counts of the terms to find.
//
// Refused, with a reason and nothing searched: a bad code-point form, a lone
// "-", a keyword of excluded terms only, and a keyword whose terms the
// engine rejects (CIndex::CheckKeyword). Only an ASCII "-" excludes: a
// keyword holding one could not be searched before, so no searchable keyword
// changes its meaning.
#include "query/code_point_forms.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vesk {

class CIndex;

enum class KeywordRefusalKind {
    CodePointForm,  // see form
    EmptyExclusion, // a "-" with nothing after it
    OnlyExclusions, // no term to find
    NoTerm,         // nothing but separators
    Rejected        // the engine cannot search unit (below U+0100)
};

struct KeywordRefusal {
    KeywordRefusalKind kind = KeywordRefusalKind::NoTerm;
    CodePointFormError form; // CodePointForm
    char16_t unit = 0;       // Rejected
};

struct KeywordQuery {
    // Terms to find, separated by U+0020: the text the engine searches. The
    // typed keyword itself (U+3000 made U+0020) when it holds no forms and no
    // excluded terms.
    std::u16string find;
    // Excluded terms without their "-", separated by U+0020; empty when none.
    std::u16string exclude;
    std::optional<KeywordRefusal> refusal; // set: nothing may be searched
};

// Parses and checks typed; touches no index.
KeywordQuery PrepareKeywordQuery(std::u16string_view typed);

struct KeywordQueryOptions {
    bool useOr = false;
    bool useVariants = false;
    // False: the result's pages and counts stay empty, for callers that read
    // the index's result arrays (a copy of a frequent character's results
    // is hundreds of kilobytes of fresh memory).
    bool copyResults = true;
};

struct KeywordQueryResult {
    std::optional<KeywordRefusal> refusal; // set: nothing was searched
    // Pages found and the places of the terms to find on each, in the
    // engine's order. The index's result arrays hold the same afterwards.
    std::vector<std::uint32_t> pages;
    std::vector<std::uint32_t> counts;
    // The terms to find as the engine left them (U+3000 between terms): the
    // keyword hit pages mark.
    std::u16string keyword;
};

// Searches a prepared query on index. A refused query searches nothing and
// leaves the index's result arrays as they were.
KeywordQueryResult RunKeywordQuery(CIndex& index, const KeywordQuery& query, const KeywordQueryOptions& options);
// PrepareKeywordQuery and RunKeywordQuery in one.
KeywordQueryResult RunKeywordQuery(CIndex& index, std::u16string_view typed, const KeywordQueryOptions& options);

// One line of English for the command-line tools, starting
// "keyword rejected: ".
std::string DescribeKeywordRefusal(const KeywordRefusal& refusal);

} // namespace vesk
