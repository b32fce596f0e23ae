// vesk-tool COMMAND [--data DIR] ARGS...: the command table.
#include "cli/commands.h"
#include "common/options.h"
#include "common/standard_output.h"
#include "datafolder/folder_generation.h"

#include <cstdio>
#include <exception>
#include <new>
#include <string_view>

namespace {

using namespace vesk::tool;

struct Command {
    std::string_view name;
    int (*run)(const std::filesystem::path&, const Arguments&);
    std::string_view usage;
};

constexpr Command kCommands[] = {
    {"search", RunSearch,
     "search [--target whole|main|annot] [--or] [--variants] [--scope all|RECORD] [--raw|--json] KEYWORD..."},
    {"page", RunPage, "page --id PAGEID | page --record RECORD --number PAGE"},
    {"contents", RunContents, "contents"},
    {"check", RunCheck, "check"},
    {"kwic", RunKwic,
     "kwic [search options] [--context N] [--sort page|left|right] [--tsv|--csv|--json] KEYWORD..."},
    {"stats", RunStats, "stats [search options] [--level 1|2|3] [--tsv|--csv|--json] KEYWORD..."},
    {"render", RunRender, "render --id PAGEID [--target whole|main|annot] [--variants] [-o FILE] KEYWORD..."},
};

int Usage()
{
    std::fprintf(stderr, "usage: vesk-tool COMMAND [--data DIR] ...\n");
    for (const Command& command : kCommands)
        std::fprintf(stderr, "  vesk-tool %.*s\n", static_cast<int>(command.usage.size()), command.usage.data());
    return kExitUsage;
}

} // namespace

int Run(int argc, char** argv)
{
    Arguments args(argv + 1, argv + argc);
    std::filesystem::path data;
    std::string error;
    if (!TakeDataOption(args, data, error)) {
        std::fprintf(stderr, "vesk-tool: %s\n", error.c_str());
        return kExitUsage;
    }
    if (args.empty())
        return Usage();
    InstallStderrReporter();
    TreatSignalsAsWriteErrors();
    for (const Command& command : kCommands) {
        if (args[0] == command.name) {
            args.erase(args.begin());
            // A folder that a build left half-switched mixes two builds:
            // every command but check refuses it (check names it as damage).
            std::string problem, marker;
            if (command.name != "check" && !vesk::CheckFolderGeneration(data, marker, problem)) {
                std::fprintf(stderr, "vesk-tool: %s\n", (data / problem).c_str());
                return kExitNoData;
            }
            return FinishStandardOutput("vesk-tool", command.run(data, args));
        }
    }
    std::fprintf(stderr, "vesk-tool: unknown command \"%s\"\n", args[0].c_str());
    return Usage();
}

int main(int argc, char** argv)
{
    // Nothing escapes as an abort: an exception the commands did not expect
    // (out of memory, say) is one line and the exit code of data that cannot
    // be used.
    try {
        return Run(argc, argv);
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "vesk-tool: out of memory\n");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vesk-tool: unexpected error: %s\n", e.what());
    }
    return vesk::tool::kExitNoData;
}
