#pragma once
// UTF-8 to UTF-16 for text that arrives from outside (command-line keywords).
// Every byte that does not start a well-formed sequence (overlong forms,
// surrogates, values above U+10FFFF, truncated sequences) becomes U+FFFD.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vesk {

std::u16string Utf8ToUtf16(std::string_view bytes);

// The offset of the first byte that does not start a well-formed sequence
// (the first byte Utf8ToUtf16 would replace); none when bytes is valid UTF-8.
std::optional<std::size_t> FirstInvalidUtf8(std::string_view bytes);

} // namespace vesk
