#pragma once
// The command line of vesk-import:
//   vesk-import --from text|tei|kanripo [options] INPUT... OUT_SOURCE_DIR
// Options may come anywhere before the positional arguments.
#include "import/import_run.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace vesk::import {

struct CommandLine {
    ImportOptions import;
    std::filesystem::path sourceOut;
    std::optional<std::filesystem::path> dataOut;  // --build
    bool force = false;
    bool progress = false;
    bool help = false;
};

// False with problem set on a usage error.
bool ParseCommandLine(const std::vector<std::string>& args, CommandLine& line, std::string& problem);

extern const char* const kUsage;

} // namespace vesk::import
