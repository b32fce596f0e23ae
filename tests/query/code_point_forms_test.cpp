// Code-point forms in keywords and in the input dialog: every form, mixed
// with text, and the bad ones with their problem and place.
#include "query/code_point_forms.h"

#include <gtest/gtest.h>

namespace vesk {
namespace {

TEST(CodePointForms, EveryFormBecomesItsCharacter)
{
    const struct {
        std::u16string typed;
        std::u16string expected;
    } cases[] = {
        {u"U+2A6A5", u"\U0002A6A5"},
        {u"u+2a6a5", u"\U0002A6A5"},
        {u"&#x2A6A5;", u"\U0002A6A5"},
        {u"&#X2a6a5;", u"\U0002A6A5"},
        {u"&#173733;", u"\U0002A6A5"},
        {u"U+660E月 U+6708", u"明月 月"},
        {u"明&#26376;&#x5149;", u"明月光"},
        {u"U+10FFFF", u"\U0010FFFF"},
        {u"U+0100", u"\u0100"},
        {u"U+00004E00", u"一"},                   // leading zeros
        {u"明月", u"明月"},                         // no form: unchanged
        {u"U明 &amp; &x; U-1", u"U明 &amp; &x; U-1"}, // only "U+" and "&#" open a form
        {u"", u""},
    };
    for (const auto& c : cases) {
        const CodePointFormsResult result = ReplaceCodePointForms(c.typed);
        EXPECT_FALSE(result.error.has_value());
        EXPECT_EQ(result.text, c.expected);
    }
}

TEST(CodePointForms, BadFormsSayWhatAndWhere)
{
    const struct {
        std::u16string typed;
        CodePointFormProblem problem;
        std::size_t offset;
        std::u16string form;
    } cases[] = {
        {u"U+110000", CodePointFormProblem::TooLarge, 0, u"U+110000"},
        {u"明U+FFFFFFFFFFFFFFFFFFFF", CodePointFormProblem::TooLarge, 1, u"U+FFFFFFFFFFFFFFFFFFFF"},
        {u"&#1114112;", CodePointFormProblem::TooLarge, 0, u"&#1114112;"},
        {u"U+D800", CodePointFormProblem::Surrogate, 0, u"U+D800"},
        {u"&#xDFFF;", CodePointFormProblem::Surrogate, 0, u"&#xDFFF;"},
        {u"U+41", CodePointFormProblem::BelowSearchable, 0, u"U+41"},
        {u"&#32;", CodePointFormProblem::BelowSearchable, 0, u"&#32;"},
        {u"明 U+", CodePointFormProblem::NoDigits, 2, u"U+"},
        {u"U+月", CodePointFormProblem::NoDigits, 0, u"U+"},
        {u"&#;", CodePointFormProblem::NoDigits, 0, u"&#;"},
        {u"&#x;", CodePointFormProblem::NoDigits, 0, u"&#x;"},
        {u"&#x2A6A5", CodePointFormProblem::Unterminated, 0, u"&#x2A6A5"},
        {u"&#26376 月", CodePointFormProblem::Unterminated, 0, u"&#26376"},
        {u"U+4E00 U+110000 U+D800", CodePointFormProblem::TooLarge, 7, u"U+110000"}, // the first bad one
    };
    for (const auto& c : cases) {
        const CodePointFormsResult result = ReplaceCodePointForms(c.typed);
        ASSERT_TRUE(result.error.has_value());
        EXPECT_TRUE(result.text.empty());
        EXPECT_EQ(result.error->problem, c.problem);
        EXPECT_EQ(result.error->offset, c.offset);
        EXPECT_EQ(result.error->form, c.form);
        EXPECT_FALSE(DescribeCodePointFormError(*result.error).empty());
    }
}

TEST(CodePointForms, DialogInputTakesOneCodePoint)
{
    const struct {
        std::u16string typed;
        char32_t codePoint; // 0: an error is expected
    } cases[] = {
        {u"2A6A5", 0x2A6A5}, {u" U+2A6A5 ", 0x2A6A5}, {u"&#173733;", 0x2A6A5}, {u"&#x4e00;", 0x4E00},
        {u"4e00", 0x4E00},   {u"", 0},                {u"U+4E00 U+4E01", 0},   {u"4E00x", 0},
        {u"110000", 0},      {u"D800", 0},            {u"41", 0},              {u"一", 0},
    };
    for (const auto& c : cases) {
        const CodePointInput input = ParseCodePointInput(c.typed);
        if (c.codePoint == 0) {
            EXPECT_TRUE(input.error.has_value());
        } else {
            EXPECT_FALSE(input.error.has_value());
            EXPECT_EQ(input.codePoint, c.codePoint);
        }
    }
    EXPECT_EQ(CodePointName(0x2A6A5), "U+2A6A5");
    EXPECT_EQ(CodePointName(0x100), "U+0100");
}

} // namespace
} // namespace vesk
