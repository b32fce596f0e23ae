#pragma once
// Files the program comes with (the user manual, the start-up picture): in
// the build tree they lie beside the executable, once installed in
// share/vesk beside its bin folder.
#include <filesystem>
#include <string_view>

namespace vesk {

// The first of programFolder/name and programFolder/../share/vesk/name that
// exists; an empty path when neither does.
std::filesystem::path FindProgramFile(const std::filesystem::path& programFolder, std::string_view name);

} // namespace vesk
