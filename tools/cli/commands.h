#pragma once
// The commands of vesk-tool. Each takes the data folder and its own
// arguments (the command name and --data removed) and returns the exit code.
#include <filesystem>
#include <string>
#include <vector>

namespace vesk::tool {

using Arguments = std::vector<std::string>;

int RunSearch(const std::filesystem::path& data, const Arguments& args);
int RunPage(const std::filesystem::path& data, const Arguments& args);
int RunContents(const std::filesystem::path& data, const Arguments& args);
int RunCheck(const std::filesystem::path& data, const Arguments& args);
int RunRender(const std::filesystem::path& data, const Arguments& args);
int RunKwic(const std::filesystem::path& data, const Arguments& args);
int RunStats(const std::filesystem::path& data, const Arguments& args);

} // namespace vesk::tool
