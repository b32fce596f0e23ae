#pragma once
// UTF-8 decoding as the index counts positions: a well-formed sequence (no
// overlong form, no surrogate, at most U+10FFFF) is one code point; any other
// byte is one invalid unit on its own and decoding resumes at the next byte.
#include <cstdint>
#include <string>
#include <string_view>

namespace vesk::build {

inline constexpr char32_t kInvalidUtf8 = 0xFFFFFFFF;

// Decodes the unit starting at text[i] and moves i past it. Returns the code
// point, or kInvalidUtf8 for an invalid byte (then i moves by one).
char32_t DecodeUtf8(std::string_view text, std::size_t& i);

// Converts well-formed UTF-8 to UTF-16. False (out unspecified) on any
// invalid byte.
bool Utf8ToUtf16(std::string_view text, std::u16string& out);

} // namespace vesk::build
