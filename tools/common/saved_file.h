#pragma once
// A file written by name, whole or not at all.
#include <filesystem>
#include <string>
#include <string_view>

namespace vesk::tool {

// Writes bytes to the file named path. A regular file (or a new one) is
// written beside its name, under a temporary name created exclusively, then
// flushed to disk and renamed over the name, so that the name always holds
// either the old file or the complete new one; the new file keeps the old
// one's permission bits. A symbolic link is followed: the file it names is
// replaced and the link stays. Anything else that exists under the name (a
// device such as /dev/null, a FIFO), and any name under /dev or /proc
// (/dev/stdout), is written in place, never replaced; a folder is refused. False with error set ("cannot write PATH: REASON") on
// any failure; the temporary file is then removed.
bool SaveFile(const std::filesystem::path& path, std::string_view bytes, std::string& error);

} // namespace vesk::tool
