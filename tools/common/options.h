#pragma once
// What the command-line tools share: the data folder option, exit codes and
// the reporting hook that prints the core's messages to standard error.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vesk::tool {

enum ExitCode : int {
    kExitOk = 0,
    kExitDamaged = 1,
    kExitUsage = 2,
    kExitRejected = 3,
    kExitNoData = 4,
    kExitNotFound = 5,
    kExitOutput = 6, // the output could not be written (standard_output.h, saved_file.h)
};

// The folder of the running executable (the first place the data folder is
// looked for).
std::filesystem::path ExecutableFolder();

// Removes "--data DIR" or "--data=DIR" from args and sets folder; without
// the option, the data folder is looked for as the window program does
// (beside the executable, then the XDG data folders; FindDataFolder). False
// with error set when DIR is missing.
bool TakeDataOption(std::vector<std::string>& args, std::filesystem::path& folder, std::string& error);

// Takes the value of option name at args[i] ("--name VALUE" or "--name=VALUE").
// Returns false when args[i] is not that option; sets ok to false when the value is missing.
bool TakeValue(const std::vector<std::string>& args, std::size_t& i, const std::string& name, std::string& value,
               bool& ok);

// Parses a whole non-negative decimal number.
bool ParseNumber(const std::string& text, std::uint64_t& value);

// Why a keyword is rejected when its byte at offset at starts no UTF-8
// sequence: "keyword rejected: not valid UTF-8 (byte 0xB0 at offset 3)".
std::string InvalidUtf8Reason(std::string_view keyword, std::size_t at);

// Sends the core's messages and diagnostics to standard error.
void InstallStderrReporter();

} // namespace vesk::tool
