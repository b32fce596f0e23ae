#pragma once
// A full walk of the page store's directory, for `vesk-tool check`: every
// entry must locate its bytes inside the content file.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vesk {

// Checks folder/"Index-fl.h" and "Index-fl.cnt". Appends one line per
// problem, sets pageCount to the number of entries, returns true when sound.
bool CheckFileList(const std::filesystem::path& folder, std::uint32_t& pageCount, std::vector<std::string>& problems);

} // namespace vesk
