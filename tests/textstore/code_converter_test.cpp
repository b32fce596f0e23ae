#include "textstore/code_converter.h"

#include <gtest/gtest.h>

using namespace vesk;

TEST(Utf16ToUtf8, EncodesAndReportsSurrogateTrouble)
{
    struct Case {
        std::u16string source;
        bool lenient;
        std::string bytes;
        ConversionResult result;
    };
    const Case cases[] = {
        {u"\u4E00", true, "\xE4\xB8\x80", kConversionOk},
        {u"\xD840\xDC00", true, "\xF0\xA0\x80\x80", kConversionOk},
        {u"A", true, "A", kConversionOk},
        {u"A\xD840", true, "A", kSourceExhausted},
        {std::u16string(u"\xD840") + u"A", true, "\xED\xA1\x80" "A", kConversionOk},
        {std::u16string(u"\xD840") + u"A", false, "", kSourceIllegal},
        {std::u16string(u"\xDC01") + u"B", true, "\xED\xB0\x81" "B", kConversionOk},
        {std::u16string(u"x\xDC01"), false, "x", kSourceIllegal},
        {u"\u00E9\u3000", true, "\xC3\xA9\xE3\x80\x80", kConversionOk},
    };
    for (const Case& c : cases) {
        std::string out;
        EXPECT_EQ(Utf16ToUtf8(c.source, out, c.lenient), c.result);
        EXPECT_EQ(out, c.bytes);
    }
}

TEST(Utf16ToUtf32, StopsWhenTargetIsFullAndLeavesPositions)
{
    const std::u16string source = u"AB";
    const char16_t* s = source.data();
    char32_t buffer[1];
    char32_t* t = buffer;
    EXPECT_EQ(Utf16ToUtf32(s, source.data() + 2, t, buffer + 1, true), kTargetExhausted);
    EXPECT_EQ(s, source.data() + 1);
    EXPECT_EQ(t, buffer + 1);
    EXPECT_EQ(buffer[0], U'A');
}

TEST(Utf16ToUtf32, JoinsPairsAndHandlesLoneSurrogates)
{
    const std::u16string source = u"\xD840\xDC00\xD840";
    const char16_t* s = source.data();
    char32_t buffer[4];
    char32_t* t = buffer;
    EXPECT_EQ(Utf16ToUtf32(s, source.data() + source.size(), t, buffer + 4, true), kSourceExhausted);
    EXPECT_EQ(t - buffer, 1);
    EXPECT_EQ(buffer[0], U'\U00020000');
    EXPECT_EQ(s, source.data() + 2); // left at the trailing high surrogate

    const std::u16string lone = std::u16string(u"\xDC00") + u"A";
    s = lone.data();
    t = buffer;
    EXPECT_EQ(Utf16ToUtf32(s, lone.data() + 2, t, buffer + 4, false), kSourceIllegal);
    EXPECT_EQ(s, lone.data());
    s = lone.data();
    EXPECT_EQ(Utf16ToUtf32(s, lone.data() + 2, t, buffer + 4, true), kConversionOk);
    EXPECT_EQ(t - buffer, 2);
    EXPECT_EQ(buffer[0], 0xDC00u);
}

TEST(CodePointToSlot, MapsEveryRangeAndItsEdges)
{
    const std::pair<std::uint32_t, std::int32_t> cases[] = {
        {0x3400, 0},         {0x9FFF, 27647},     {0xF900, 27904},    {0xFAFF, 28415},
        {0x20000, 32512},    {0x2A6DF, 75231},    {0x2F800, 75232},   {0x2FA1F, 75775},
        {0x3042, 75776},     {0x30F6, 75956},     {0xE000, 75957},    {0xFFFF, 84148},
        {0x0041, -1},        {0x3000, -1},        {0x2A6E0, -1},      {0x3041, -1},
        {0x33FF, -1},        {0xFF1F, 0xFF1F + 0x48B5}, {0x110000, -1},
    };
    for (auto [codePoint, slot] : cases)
        EXPECT_EQ(CodePointToSlot(codePoint), slot) << std::hex << codePoint;
}
