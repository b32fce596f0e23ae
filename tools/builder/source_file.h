#pragma once
// Reading the files of a source corpus without ever blocking or running out
// of memory: only a regular file is read (a folder, FIFO, socket or device is
// refused before anything is read from it), its size is checked against a
// limit before reading, and a symlink that leads out of the source folder is
// refused unless allowed. Problems are one phrase ("is a FIFO, not a regular
// file"), to follow the file's shown path.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace vesk::build {

// contents.txt and yitizi.txt: far larger than any real one, small enough
// to hold in memory.
inline constexpr std::uint64_t kMaxSourceTextBytes = 64u << 20;

// Reads path whole when it is a regular file of at most maxBytes.
bool ReadSourceFile(const std::filesystem::path& path, std::uint64_t maxBytes, std::string& bytes,
                    std::string& problem);

// The checks of ReadSourceFile without the reading: size is the file's size.
bool ProbeSourceFile(const std::filesystem::path& path, std::uint64_t maxBytes, std::uint64_t& size,
                     std::string& problem);

// False with problem set when path, with every symlink on its way resolved,
// does not lie inside root (already resolved), or cannot be resolved at all
// (a symlink loop, a target too long, a dangling link).
bool LiesInside(const std::filesystem::path& path, const std::filesystem::path& root, std::string& problem);

// A path or name from the input as a message shows it: control bytes, NUL
// and bytes that are not UTF-8 as \xNN, and cut in the middle ("...") when
// longer than 160 bytes.
std::string ShownText(std::string_view text);
// The same in double quotes, with '"' and '\' escaped.
std::string QuotedText(std::string_view text);

// Removes a UTF-8 byte-order mark at the start of bytes; true when there was one.
bool StripByteOrderMark(std::string& bytes);

} // namespace vesk::build
