#pragma once
// Measuring copied text the way the double-byte code page of the clipboard
// counts it (CP932): single-byte characters take 1 byte, every other
// character 2, a line break 2 (CR LF) and a character the code page cannot
// encode 2 as well.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vesk {

inline constexpr std::size_t kCopyLimitBytes = 600;

// Bytes of one character (a code point) in the code page.
std::size_t CodePageCharBytes(char32_t c);

// Bytes of a UTF-16 text in the code page; "\r\n" counts as one line break.
std::size_t CodePageLength(std::u16string_view text);

// The text cut to at most limit code-page bytes, ending on a whole character
// (a surrogate pair or a CR LF is never split), or nothing when the text
// already fits.
std::optional<std::u16string> CutToCodePageLimit(std::u16string_view text,
                                                 std::size_t limit = kCopyLimitBytes);

} // namespace vesk
