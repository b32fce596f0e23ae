#include "window/program_files.h"

#include <system_error>

namespace vesk {

std::filesystem::path FindProgramFile(const std::filesystem::path& programFolder, std::string_view name)
{
    const std::filesystem::path candidates[] = {
        programFolder / name,
        programFolder.parent_path() / "share" / "vesk" / name,
    };
    for (const auto& candidate : candidates) {
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error))
            return candidate;
    }
    return {};
}

} // namespace vesk
