#include "query/code_point_forms.h"

#include <cstdio>

namespace vesk {
namespace {

constexpr char32_t kLastCodePoint = 0x10FFFF;
// Digits keep being read past the last code point, but the value stops
// growing there, so a long run of digits cannot overflow.
constexpr char32_t kPastLast = kLastCodePoint + 1;

int DigitValue(char16_t unit, int base)
{
    int value = -1;
    if (unit >= u'0' && unit <= u'9')
        value = unit - u'0';
    else if (unit >= u'A' && unit <= u'F')
        value = unit - u'A' + 10;
    else if (unit >= u'a' && unit <= u'f')
        value = unit - u'a' + 10;
    return value < base ? value : -1;
}

// Reads digits of base from pos on; returns how many were read.
std::size_t ReadDigits(std::u16string_view text, std::size_t pos, int base, char32_t& value)
{
    value = 0;
    std::size_t count = 0;
    for (; pos + count < text.size(); ++count) {
        const int digit = DigitValue(text[pos + count], base);
        if (digit < 0)
            break;
        const char32_t next = value * static_cast<char32_t>(base) + static_cast<char32_t>(digit);
        value = next > kLastCodePoint ? kPastLast : next;
    }
    return count;
}

std::optional<CodePointFormProblem> CheckValue(char32_t value)
{
    if (value > kLastCodePoint)
        return CodePointFormProblem::TooLarge;
    if (value >= 0xD800 && value <= 0xDFFF)
        return CodePointFormProblem::Surrogate;
    if (value < 0x100)
        return CodePointFormProblem::BelowSearchable;
    return std::nullopt;
}

void AppendCodePoint(std::u16string& out, char32_t value)
{
    if (value < 0x10000) {
        out.push_back(static_cast<char16_t>(value));
    } else {
        value -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (value >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (value & 0x3FF)));
    }
}

bool StartsUPlus(std::u16string_view text, std::size_t pos)
{
    return pos + 1 < text.size() && (text[pos] == u'U' || text[pos] == u'u') && text[pos + 1] == u'+';
}

bool StartsReference(std::u16string_view text, std::size_t pos)
{
    return pos + 1 < text.size() && text[pos] == u'&' && text[pos + 1] == u'#';
}

// Reads the form that starts at pos (StartsUPlus or StartsReference holds);
// end is set past it, also on error.
CodePointInput ReadForm(std::u16string_view text, std::size_t pos, std::size_t& end)
{
    CodePointInput result;
    const auto fail = [&](CodePointFormProblem problem, std::size_t stop) {
        end = stop;
        result.error = CodePointFormError{problem, pos, std::u16string(text.substr(pos, stop - pos))};
        return result;
    };
    char32_t value = 0;
    std::size_t digitsAt = pos + 2;
    if (StartsUPlus(text, pos)) {
        const std::size_t count = ReadDigits(text, digitsAt, 16, value);
        if (count == 0)
            return fail(CodePointFormProblem::NoDigits, digitsAt);
        end = digitsAt + count;
    } else {
        int base = 10;
        if (digitsAt < text.size() && (text[digitsAt] == u'x' || text[digitsAt] == u'X')) {
            base = 16;
            ++digitsAt;
        }
        const std::size_t count = ReadDigits(text, digitsAt, base, value);
        std::size_t stop = digitsAt + count;
        if (count == 0)
            return fail(CodePointFormProblem::NoDigits, stop < text.size() && text[stop] == u';' ? stop + 1 : stop);
        if (stop >= text.size() || text[stop] != u';')
            return fail(CodePointFormProblem::Unterminated, stop);
        end = stop + 1;
    }
    if (const auto problem = CheckValue(value))
        return fail(*problem, end);
    result.codePoint = value;
    return result;
}

std::u16string Trim(std::u16string_view text)
{
    std::size_t first = 0;
    std::size_t last = text.size();
    const auto blank = [](char16_t unit) { return unit == u' ' || unit == u'\t' || unit == u'\u3000'; };
    while (first < last && blank(text[first]))
        ++first;
    while (last > first && blank(text[last - 1]))
        --last;
    return std::u16string(text.substr(first, last - first));
}

} // namespace

CodePointFormsResult ReplaceCodePointForms(std::u16string_view text)
{
    CodePointFormsResult result;
    result.text.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        if (!StartsUPlus(text, pos) && !StartsReference(text, pos)) {
            result.text.push_back(text[pos++]);
            continue;
        }
        std::size_t end = pos;
        const CodePointInput form = ReadForm(text, pos, end);
        if (form.error) {
            result.text.clear();
            result.error = form.error;
            return result;
        }
        AppendCodePoint(result.text, form.codePoint);
        pos = end;
    }
    return result;
}

CodePointInput ParseCodePointInput(std::u16string_view typed)
{
    const std::u16string text = Trim(typed);
    CodePointInput result;
    std::size_t end = 0;
    if (StartsUPlus(text, 0) || StartsReference(text, 0)) {
        result = ReadForm(text, 0, end);
    } else {
        char32_t value = 0;
        end = ReadDigits(text, 0, 16, value);
        if (end > 0) {
            if (const auto problem = CheckValue(value))
                result.error = CodePointFormError{*problem, 0, text.substr(0, end)};
            else
                result.codePoint = value;
        }
    }
    if (!result.error && (end == 0 || end != text.size()))
        result.error = CodePointFormError{CodePointFormProblem::NoDigits, 0, text};
    return result;
}

std::string CodePointName(char32_t codePoint)
{
    char name[16];
    std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(codePoint));
    return name;
}

std::string DescribeCodePointFormError(const CodePointFormError& error)
{
    std::string form;
    for (char16_t unit : error.form) // forms are ASCII up to where reading stopped
        form.push_back(unit < 0x80 ? static_cast<char>(unit) : '?');
    const char* why = "";
    switch (error.problem) {
    case CodePointFormProblem::NoDigits: why = "no code point digits"; break;
    case CodePointFormProblem::Unterminated: why = "the form does not end with \";\""; break;
    case CodePointFormProblem::TooLarge: why = "above U+10FFFF, no such character"; break;
    case CodePointFormProblem::Surrogate: why = "a surrogate (U+D800..U+DFFF) is no character"; break;
    case CodePointFormProblem::BelowSearchable: why = "below U+0100, no character that can be searched"; break;
    }
    return "\"" + form + "\" at unit " + std::to_string(error.offset) + ": " + why;
}

} // namespace vesk
