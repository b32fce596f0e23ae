#pragma once
// Characters written by their code point, for the keyword box and the tools:
//
//   U+XXXX  u+XXXX     hexadecimal digits, as many as follow
//   &#xXXXX;  &#XXXX;  hexadecimal, as in HTML
//   &#NNNN;            decimal, as in HTML
//
// A form names one character from U+0100 up that is a Unicode scalar value
// (no surrogate, nothing above U+10FFFF): below U+0100 lie the characters a
// keyword cannot hold besides space, "*" and "?", which are typed as they are.
// Text that starts like a form ("U+", "&#") but is not a valid one is an
// error that says where and why; everything else is left as it is.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vesk {

enum class CodePointFormProblem {
    NoDigits,       // "U+", "&#;" or "&#x;": no digit after the opening
    Unterminated,   // "&#x2A6A5" without its ";"
    TooLarge,       // above U+10FFFF
    Surrogate,      // U+D800 .. U+DFFF: half of a pair, no character
    BelowSearchable // below U+0100
};

struct CodePointFormError {
    CodePointFormProblem problem = CodePointFormProblem::NoDigits;
    std::size_t offset = 0; // in UTF-16 units of the text given
    std::u16string form;    // the form as written (up to where reading stopped)
};

struct CodePointFormsResult {
    std::u16string text;                     // the forms replaced; empty on error
    std::optional<CodePointFormError> error; // the first bad form; text is then empty
};

// Replaces every form in text by the character it names (a surrogate pair
// above U+FFFF). Without forms the text comes back unchanged.
CodePointFormsResult ReplaceCodePointForms(std::u16string_view text);

struct CodePointInput {
    char32_t codePoint = 0;
    std::optional<CodePointFormError> error;
};

// One code point typed on its own: any of the forms above, or bare
// hexadecimal digits ("2A6A5"). Blanks around it are ignored. Anything else
// is an error (NoDigits when nothing readable was typed).
CodePointInput ParseCodePointInput(std::u16string_view text);

// "U+2A6A5": at least four upper-case hexadecimal digits.
std::string CodePointName(char32_t codePoint);

// One line of English saying what is wrong with the form.
std::string DescribeCodePointFormError(const CodePointFormError& error);

} // namespace vesk
