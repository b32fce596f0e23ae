#pragma once
// Where the programs find their data folder when none is named: beside the
// executable (the build tree, or a copied folder), then "vesk" in the
// user's and the system's XDG data folders (where the data package puts
// it). The window program and vesk-tool both use this, so they always agree.
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vesk {

// Reads an environment variable; nullopt when it is not set.
using EnvironmentReader = std::function<std::optional<std::string>(const char* name)>;

// The process's own environment.
std::optional<std::string> ProcessEnvironment(const char* name);

// A data folder holds at least the contents file "kav.dir" and the page
// directory "Index-fl.h". The empty path is none, wherever the program runs.
bool IsDataFolder(const std::filesystem::path& folder);

// The folders looked at, in order: exeFolder; $XDG_DATA_HOME/vesk (default
// $HOME/.local/share/vesk); then DIR/vesk for each DIR of $XDG_DATA_DIRS
// (default /usr/local/share:/usr/share). Relative entries are ignored, as
// the XDG rules ask.
std::vector<std::filesystem::path> DataFolderCandidates(const std::filesystem::path& exeFolder,
                                                        const EnvironmentReader& environment = ProcessEnvironment);

// The data folder to use: requested when the user named one (used as it
// is, even when it holds no data); otherwise the first candidate that is a
// data folder; otherwise exeFolder, where opening the data then reports
// what is missing.
std::filesystem::path FindDataFolder(const std::optional<std::filesystem::path>& requested,
                                     const std::filesystem::path& exeFolder,
                                     const EnvironmentReader& environment = ProcessEnvironment);

} // namespace vesk
