#pragma once
// Conversions between the keyword's UTF-16, the pages' UTF-8 and the index's
// slot numbers. Free functions without state.
#include <cstdint>
#include <string>
#include <string_view>

namespace vesk {

// Result of a UTF-16 conversion.
enum ConversionResult : std::uint8_t {
    kConversionOk = 0,          // the whole source was converted
    kSourceExhausted = 1,       // the source ends with a high surrogate; that unit is left
    kTargetExhausted = 2,       // the target is full; stopped before the unit that did not fit
    kSourceIllegal = 3,         // strict mode: an unpaired surrogate; stopped before it
};

inline bool IsHighSurrogate(char32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
inline bool IsLowSurrogate(char32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }
inline char32_t CombineSurrogates(char32_t high, char32_t low)
{
    return ((high - 0xD800) << 10) + (low - 0xDC00) + 0x10000;
}

// Appends the UTF-8 form of source to target. In lenient mode an unpaired
// surrogate is encoded as if it were an ordinary code point (ED A0 80 ..
// ED BF BF); in strict mode it stops the conversion with kSourceIllegal.
// Never returns kTargetExhausted.
ConversionResult Utf16ToUtf8(std::u16string_view source, std::string& target, bool lenient);

// Converts units from [source, sourceEnd) into code points stored at
// [target, targetEnd); both positions are left after the last unit converted.
ConversionResult Utf16ToUtf32(const char16_t*& source, const char16_t* sourceEnd,
                              char32_t*& target, char32_t* targetEnd, bool lenient);

// Appends the UTF-8 encoding of one code point (U+FFFD above U+10FFFF).
void AppendUtf8(char32_t c, std::string& target);

// The index slot of a code point: 0 .. 84148 for the ranges the index covers,
// -1 for everything else (ASCII, punctuation, the ideographic space, ...).
std::int32_t CodePointToSlot(std::uint32_t codePoint);

// Number of slots CodePointToSlot can produce (its largest value + 1).
inline constexpr std::int32_t kCharacterSlots = 84149;

} // namespace vesk
