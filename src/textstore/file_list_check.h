#pragma once
// A full walk of the page store's directory, for `vesk-tool check`: every
// entry must locate its bytes inside the content file, each page must start
// where the page before it ends (the first at 0, the last ending at the end
// of the content file), and the header's page count must be the number of
// entries.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vesk {

// Checks folder/"Index-fl.h" and "Index-fl.cnt". Appends one line per
// problem, sets pageCount to the number of entries, returns true when sound.
bool CheckFileList(const std::filesystem::path& folder, std::uint32_t& pageCount, std::vector<std::string>& problems);

} // namespace vesk
