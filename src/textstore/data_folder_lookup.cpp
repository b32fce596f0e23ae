#include "textstore/data_folder_lookup.h"

#include <cstdlib>
#include <string_view>
#include <system_error>

namespace vesk {
namespace {

namespace fs = std::filesystem;

constexpr const char* kFolderName = "vesk";
constexpr std::string_view kDefaultSystemDirs = "/usr/local/share:/usr/share";

// The value of an XDG variable, treating an empty one as unset.
std::optional<std::string> NonEmpty(const EnvironmentReader& environment, const char* name)
{
    std::optional<std::string> value = environment(name);
    if (value && value->empty())
        return std::nullopt;
    return value;
}

void AddIfAbsolute(std::vector<fs::path>& out, const fs::path& base)
{
    if (base.is_absolute())
        out.push_back(base / kFolderName);
}

} // namespace

std::optional<std::string> ProcessEnvironment(const char* name)
{
    const char* value = std::getenv(name);
    if (!value)
        return std::nullopt;
    return std::string(value);
}

bool IsDataFolder(const fs::path& folder)
{
    // The empty path names no folder (appending to it would look in the
    // working directory).
    if (folder.empty())
        return false;
    std::error_code error;
    return fs::is_regular_file(folder / "kav.dir", error) && fs::is_regular_file(folder / "Index-fl.h", error);
}

std::vector<fs::path> DataFolderCandidates(const fs::path& exeFolder, const EnvironmentReader& environment)
{
    std::vector<fs::path> candidates;
    if (!exeFolder.empty())
        candidates.push_back(exeFolder);

    if (const auto dataHome = NonEmpty(environment, "XDG_DATA_HOME"))
        AddIfAbsolute(candidates, *dataHome);
    else if (const auto home = NonEmpty(environment, "HOME"))
        AddIfAbsolute(candidates, fs::path(*home) / ".local" / "share");

    const std::string systemDirs = NonEmpty(environment, "XDG_DATA_DIRS").value_or(std::string(kDefaultSystemDirs));
    std::string_view rest = systemDirs;
    while (!rest.empty()) {
        const std::size_t colon = rest.find(':');
        const std::string_view entry = rest.substr(0, colon);
        if (!entry.empty())
            AddIfAbsolute(candidates, fs::path(entry));
        if (colon == std::string_view::npos)
            break;
        rest.remove_prefix(colon + 1);
    }
    return candidates;
}

fs::path FindDataFolder(const std::optional<fs::path>& requested, const fs::path& exeFolder,
                        const EnvironmentReader& environment)
{
    if (requested)
        return *requested;
    for (const fs::path& candidate : DataFolderCandidates(exeFolder, environment)) {
        if (IsDataFolder(candidate))
            return candidate;
    }
    return exeFolder;
}

} // namespace vesk
