#pragma once
// Running the project's command-line programs from tests: a shell command
// line whose standard output is captured, with the program's exit status.
#include <string>

namespace vesk::test {

struct CommandResult {
    int code = -1;       // exit status; -1 when the command could not run or was killed
    std::string out;     // everything written to standard output
};

// Quotes one argument for the shell (single quotes, embedded ones escaped).
std::string ShellQuote(const std::string& arg);

// Runs command through /bin/sh and collects its standard output.
CommandResult RunCommand(const std::string& command);

} // namespace vesk::test
