#pragma once
// Turns the bytes of a text file into UTF-8. A byte-order mark decides first
// (UTF-8, UTF-16LE, UTF-16BE); without one the file is read in the encoding
// given (converted through iconv), or as UTF-8 when none is given. Bytes that
// are not valid in their encoding are an error naming the byte offset, never
// replaced.
#include <cstdint>
#include <string>
#include <string_view>

namespace vesk::import {

// False with problem set ("byte offset N: ...") when bytes is not valid in
// its encoding. encoding empty: UTF-8 unless a byte-order mark says otherwise.
bool DecodeText(std::string_view bytes, const std::string& encoding, std::string& utf8,
                std::string& problem);

// Whether iconv knows the encoding name (conversion into UTF-8).
bool IsKnownEncoding(const std::string& encoding);

// The offset of the first byte that does not belong to well-formed UTF-8,
// or npos when all of text is well formed.
std::size_t FirstInvalidUtf8(std::string_view text);

} // namespace vesk::import
