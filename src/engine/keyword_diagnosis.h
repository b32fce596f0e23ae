#pragma once
// Why a keyword can find nothing whatever the corpus holds, worked out from
// the keyword alone (no index needed), so a user can be told the reason
// instead of an empty list:
//
// - a character the engine turns down: below U+0100 and neither a space,
//   "*" nor "?" (Latin letters, digits, ASCII punctuation); the engine
//   then searches nothing at all;
// - no term: the keyword holds only spaces;
// - a term with nothing searchable: once the characters without an index key
//   (punctuation) are left out, only "*", "?" and "？" remain. Such a term
//   finds no page, so "and" finds nothing; "or" finds nothing when every
//   term is like that.
#include <string_view>

namespace vesk {

enum class KeywordFault {
    None,              // the keyword may find pages
    RejectedCharacter, // character: the first one turned down
    NoTerm,            // spaces only
    NothingSearchable, // term: the first term without a searchable character
};

struct KeywordDiagnosis {
    KeywordFault fault = KeywordFault::None;
    char32_t character = 0;
    std::u16string_view term; // a view into the keyword given
};

// Terms are separated by U+0020 and U+3000; intersect is true for "and".
KeywordDiagnosis DiagnoseKeyword(std::u16string_view keyword, bool intersect);

} // namespace vesk
