#include "engine/keyword_diagnosis.h"

#include "engine/term_search.h"

#include <string>

namespace vesk {
namespace {

bool IsSeparator(char16_t unit)
{
    return unit == u' ' || unit == u'\u3000';
}

// The engine's own steps: stars normalised, keyless characters dropped; what
// is left besides the wildcards is looked up in the index.
bool HoldsSearchableCharacter(std::u16string_view term)
{
    const std::u16string kept = DropKeylessCharacters(NormaliseStars(term));
    return kept.find_first_not_of(u"*?？") != std::u16string::npos;
}

} // namespace

KeywordDiagnosis DiagnoseKeyword(std::u16string_view keyword, bool intersect)
{
    KeywordDiagnosis diagnosis;
    for (char16_t unit : keyword) {
        if (unit < 0x100 && !IsSeparator(unit) && unit != u'*' && unit != u'?') {
            diagnosis.fault = KeywordFault::RejectedCharacter;
            diagnosis.character = unit;
            return diagnosis;
        }
    }
    std::u16string_view firstUnsearchable;
    bool anyTerm = false;
    bool anySearchable = false;
    for (std::size_t begin = 0; begin < keyword.size();) {
        if (IsSeparator(keyword[begin])) {
            ++begin;
            continue;
        }
        std::size_t end = begin;
        while (end < keyword.size() && !IsSeparator(keyword[end]))
            ++end;
        const std::u16string_view term = keyword.substr(begin, end - begin);
        anyTerm = true;
        if (HoldsSearchableCharacter(term))
            anySearchable = true;
        else if (firstUnsearchable.empty())
            firstUnsearchable = term;
        begin = end;
    }
    if (!anyTerm) {
        diagnosis.fault = KeywordFault::NoTerm;
    } else if (!firstUnsearchable.empty() && (intersect || !anySearchable)) {
        diagnosis.fault = KeywordFault::NothingSearchable;
        diagnosis.term = firstUnsearchable;
    }
    return diagnosis;
}

} // namespace vesk
