// vesk-build [--variants FILE] [--force] [--quiet] [--allow-outside-links] [--memory MIB]
//            SOURCE_DIR OUT_DIR
// vesk-build --add-page-counts DATA_DIR
// Builds a data folder from a source corpus; the second form adds the
// page-count files to a data folder built without them. Exit status: 0 success, 1 the
// build failed (bad source input, a format limit, an unwritable output,
// another program writing OUT_DIR; one line on standard error names the file
// and the problem), 2 usage errors (bad arguments, OUT_DIR not empty without
// --force). Warnings (a page without its text cell) go to standard error as
// "vesk-build: warning: ..." and do not fail the build.
#include "builder/builder.h"
#include "builder/page_count_file.h"
#include "builder/source_file.h"
#include "builder/spill_folder.h"
#include "fileio/folder_lock.h"

#include <charconv>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <exception>
#include <new>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using vesk::build::BuildReport;

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

struct Arguments {
    fs::path source, out, variants;
    bool force = false, quiet = false, allowOutsideLinks = false, addPageCounts = false;
    std::uint64_t bufferMemory = vesk::build::WriteOptions{}.bufferBytes;
};

int Usage(const std::string& problem)
{
    std::fprintf(stderr,
                 "vesk-build: %s\n"
                 "usage: vesk-build [--variants FILE] [--force] [--quiet] [--allow-outside-links] "
                 "[--memory MIB] SOURCE_DIR OUT_DIR\n"
                 "       vesk-build --add-page-counts DATA_DIR\n",
                 problem.c_str());
    return kExitUsage;
}

// A whole number of MiB for the build's buffers (a posting buffer's offsets are 32-bit).
bool ParseMebibytes(std::string_view text, std::uint64_t& bytes)
{
    unsigned mebibytes = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), mebibytes);
    if (ec != std::errc() || end != text.data() + text.size() || mebibytes < 1 || mebibytes > 4095)
        return false;
    bytes = std::uint64_t{mebibytes} << 20;
    return true;
}

bool ParseArguments(int argc, char** argv, Arguments& args, std::string& problem)
{
    std::vector<std::string> positional;
    std::string buildOption; // the first option that only a build takes
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (buildOption.empty() && (arg == "--force" || arg == "--allow-outside-links" || arg == "--memory" ||
                                    arg == "--variants"))
            buildOption = arg;
        if (arg == "--force") {
            args.force = true;
        } else if (arg == "--quiet") {
            args.quiet = true;
        } else if (arg == "--add-page-counts") {
            args.addPageCounts = true;
        } else if (arg == "--allow-outside-links") {
            args.allowOutsideLinks = true;
        } else if (arg == "--memory") {
            if (++i >= argc || !ParseMebibytes(argv[i], args.bufferMemory)) {
                problem = "--memory needs a number of MiB from 1 to 4095";
                return false;
            }
        } else if (arg == "--variants") {
            if (++i >= argc) {
                problem = "--variants needs a FILE";
                return false;
            }
            args.variants = argv[i];
        } else if (arg.size() > 1 && arg[0] == '-') {
            problem = "unknown option " + vesk::build::QuotedText(arg);
            return false;
        } else {
            positional.push_back(arg);
        }
    }
    if (args.addPageCounts) {
        if (!buildOption.empty()) {
            problem = "--add-page-counts takes no " + buildOption + " (it only adds files to a built folder)";
            return false;
        }
        if (positional.size() != 1) {
            problem = "--add-page-counts expects one DATA_DIR";
            return false;
        }
        args.out = positional[0];
        return true;
    }
    if (positional.size() != 2) {
        problem = "expected SOURCE_DIR and OUT_DIR";
        return false;
    }
    args.source = positional[0];
    args.out = positional[1];
    return true;
}

// OUT_DIR must be a folder that is empty or missing (then it is created),
// unless --force lets the data files in it be replaced. Checked once before
// the source is read and again once the folder is locked.
bool PrepareOutput(const Arguments& args, std::string& problem)
{
    std::error_code ec;
    const fs::file_status status = fs::status(args.out, ec);
    if (!fs::exists(status))
        return true;
    if (!fs::is_directory(status)) {
        problem = vesk::build::ShownText(args.out.string()) + " exists and is not a folder";
        return false;
    }
    if (!args.force && !fs::is_empty(args.out, ec)) {
        problem = vesk::build::ShownText(args.out.string()) +
                  " is not empty (use --force to replace its data files)";
        return false;
    }
    return true;
}

std::string Mebibytes(std::uint64_t bytes)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MiB", static_cast<double>(bytes) / (1024.0 * 1024.0));
    return text;
}

void PrintSummary(const BuildReport& report, double seconds)
{
    std::fprintf(stderr,
                 "vesk-build: %u pages; characters: whole %llu, main %llu, annotations %llu; "
                 "data %s apparent, %s on disk; %.1f s\n",
                 report.pages, static_cast<unsigned long long>(report.wholeChars),
                 static_cast<unsigned long long>(report.mainChars),
                 static_cast<unsigned long long>(report.annotationChars),
                 Mebibytes(report.apparentBytes).c_str(), Mebibytes(report.diskBytes).c_str(),
                 seconds);
    if (report.spilledRuns > 0)
        std::fprintf(stderr, "vesk-build: %zu sorted runs of posting data spilled and merged\n",
                     report.spilledRuns);
    if (report.pairRuns > 0)
        std::fprintf(stderr, "vesk-build: %zu sorted runs of pair places spilled and merged\n",
                     report.pairRuns);
}

int Fail(const std::string& error)
{
    std::fprintf(stderr, "vesk-build: %s\n", error.c_str());
    return kExitFailed;
}

// Adds the page-count files to the data folder args.out as it stands.
int AddPageCounts(const Arguments& args)
{
    std::error_code ec;
    if (!fs::is_directory(args.out, ec))
        return Usage(vesk::build::ShownText(args.out.string()) + " is not a folder");
    std::size_t leftOut = 0;
    std::string error;
    if (!vesk::build::AddPageCountFiles(args.out, leftOut, error))
        return Fail(error);
    if (leftOut > 0)
        std::fprintf(stderr,
                     "vesk-build: warning: %zu damaged posting streams left out (vesk-tool check names them)\n",
                     leftOut);
    if (!args.quiet)
        std::fprintf(stderr, "vesk-build: page-count files added to %s\n", args.out.c_str());
    return 0;
}

} // namespace

int Build(int argc, char** argv)
{
    // A file-size limit then fails a write with EFBIG, which names the file
    // and exits with 1, instead of ending the build by a signal.
    std::signal(SIGXFSZ, SIG_IGN);
    Arguments args;
    std::string problem;
    if (!ParseArguments(argc, argv, args, problem))
        return Usage(problem);
    if (args.addPageCounts)
        return AddPageCounts(args);
    if (!PrepareOutput(args, problem))
        return Usage(problem);
    std::error_code ec;
    if (!fs::is_directory(args.source, ec))
        return Usage(vesk::build::ShownText(args.source.string()) + " is not a folder");

    const auto started = std::chrono::steady_clock::now();
    vesk::build::SourceCorpus corpus;
    std::string error;
    if (!vesk::build::ListSourceCorpus(args.source, corpus, error, {.allowOutsideLinks = args.allowOutsideLinks}))
        return Fail(error);
    if (!args.variants.empty() && !vesk::build::ReadVariantTable(args.variants, corpus, error))
        return Fail(error);
    fs::create_directories(args.out, ec);
    if (ec)
        return Fail(vesk::build::ShownText(args.out.string()) + ": cannot create the folder: " + ec.message());
    vesk::fileio::FolderLock lock;
    if (!lock.Acquire(args.out, error))
        return Fail(error);
    if (!PrepareOutput(args, problem)) // another writer may have filled it meanwhile
        return Usage(problem);

    const bool showProgress = !args.quiet && ::isatty(STDERR_FILENO);
    int lastPercent = -1;
    auto progress = [&](const std::string& stage, double fraction) {
        const int percent = static_cast<int>(fraction * 100);
        if (percent == lastPercent)
            return;
        lastPercent = percent;
        std::fprintf(stderr, "\r%-6s %3d%%", stage.c_str(), percent);
        std::fflush(stderr);
    };
    BuildReport report;
    vesk::build::RemoveSpillFoldersOnSignals();
    const bool ok = vesk::build::WriteDataFolder(
        corpus, args.out, report, error,
        showProgress ? vesk::build::ProgressFn(progress) : vesk::build::ProgressFn(),
        {.callerHoldsLock = true, .bufferBytes = args.bufferMemory});
    if (showProgress)
        std::fprintf(stderr, "\r%-12s\r", "");
    for (const std::string& warning : report.warnings)
        std::fprintf(stderr, "vesk-build: warning: %s\n", warning.c_str());
    if (!ok)
        return Fail(error);
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - started;
    if (!args.quiet)
        PrintSummary(report, seconds.count());
    return 0;
}

int main(int argc, char** argv)
{
    // Every failure is answered with one line and an exit code; nothing
    // escapes as an abort.
    try {
        return Build(argc, argv);
    } catch (const std::bad_alloc&) {
        return Fail("out of memory");
    } catch (const std::exception& e) {
        return Fail(std::string("unexpected error: ") + e.what());
    }
}
