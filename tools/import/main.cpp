// vesk-import: plain-text, TEI and Kanripo texts into a source corpus, and
// with --build into a data folder (docs/importing.md). Exit status: 0
// success; 1 the import failed (bad input, a limit, an unwritable output, or
// stopped by a signal; one line on standard error says what and where);
// 2 usage errors.
//
// The work runs in a child process while this one waits: a signal (the
// reader's cancel button sends SIGTERM) ends the child at once, and the
// temporary folders are removed before the program ends, so an import either
// puts complete folders in place or leaves nothing.
#include "builder/builder.h"
#include "import/import_options.h"
#include "import/staged_folder.h"

#include <chrono>
#include <csignal>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace vesk::import;

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

void Say(const std::string& line)
{
    std::fprintf(stderr, "vesk-import: %s\n", line.c_str());
}

bool IsSourceCorpus(const fs::path& dir)
{
    std::error_code ec;
    return fs::is_regular_file(dir / "contents.txt", ec);
}

bool IsBuiltDataFolder(const fs::path& dir)
{
    std::error_code ec;
    return fs::is_regular_file(dir / "kav.dir", ec) && fs::is_regular_file(dir / "Index-fl.h", ec);
}

// The builder's stages as one figure in thousandths: pages 0..700, the
// three index files 700..1000.
int BuildPermille(const std::string& stage, double fraction)
{
    if (stage == "pages")
        return static_cast<int>(fraction * 700);
    if (stage == "index")
        return 700 + static_cast<int>(fraction * 300);
    return 1000;
}

// The child's work; returns the exit status.
int Work(const CommandLine& line, const StagedFolder& source, const StagedFolder* data)
{
    const auto started = std::chrono::steady_clock::now();
    ImportHooks hooks;
    hooks.warn = [](const std::string& text) { Say("warning: " + text); };
    if (line.progress)
        hooks.progress = [](std::size_t done, std::size_t total) {
            std::fprintf(stderr, "progress read %zu %zu\n", done, total);
            std::fflush(stderr);
        };
    ImportReport report;
    std::string error;
    if (!RunImport(line.import, source.temp(), hooks, report, error)) {
        Say(error);
        return kExitFailed;
    }
    Say("read " + std::to_string(report.files) + " file(s): " + std::to_string(report.volumes) +
        " volume(s), " + std::to_string(report.pages) + " page(s)");
    if (!data)
        return 0;

    vesk::build::SourceCorpus corpus;
    if (!vesk::build::ReadSourceCorpus(source.temp(), corpus, error)) {
        Say(error);
        return kExitFailed;
    }
    int last = -1;
    vesk::build::ProgressFn progress;
    if (line.progress)
        progress = [&last](const std::string& stage, double fraction) {
            const int permille = BuildPermille(stage, fraction);
            if (permille == last)
                return;
            last = permille;
            std::fprintf(stderr, "progress build %d 1000\n", permille);
            std::fflush(stderr);
        };
    vesk::build::BuildReport built;
    // The staged folder's lock, taken in Prepare, came with the fork: this
    // process is its one writer already.
    vesk::build::WriteOptions options;
    options.callerHoldsLock = true;
    if (!vesk::build::WriteDataFolder(corpus, data->temp(), built, error, progress, options)) {
        Say(error);
        return kExitFailed;
    }
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - started;
    char summary[256];
    std::snprintf(summary, sizeof summary, "built %u page(s); characters: whole %llu, main %llu, annotations %llu; %.1f s",
                  built.pages, static_cast<unsigned long long>(built.wholeChars),
                  static_cast<unsigned long long>(built.mainChars),
                  static_cast<unsigned long long>(built.annotationChars), seconds.count());
    Say(summary);
    return 0;
}

// Runs Work in a child and waits for it or for a signal. Returns the
// child's exit status, or -signal when a signal to this process ended it.
int Supervise(const CommandLine& line, const StagedFolder& source, const StagedFolder* data)
{
    sigset_t watched, previous;
    sigemptyset(&watched);
    for (const int s : {SIGINT, SIGTERM, SIGHUP, SIGCHLD})
        sigaddset(&watched, s);
    sigprocmask(SIG_BLOCK, &watched, &previous);
    std::fflush(stderr);
    const pid_t child = ::fork();
    if (child < 0) {
        Say(std::string("cannot start the work: ") + std::strerror(errno));
        return kExitFailed;
    }
    if (child == 0) {
        // The work ends with this process, however it ends.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() == 1)
            ::_exit(kExitFailed);
        sigprocmask(SIG_SETMASK, &previous, nullptr);
        const int status = Work(line, source, data);
        std::fflush(stderr);
        ::_exit(status);  // no destructors: the parent owns the folders
    }
    while (true) {
        siginfo_t info{};
        if (::sigwaitinfo(&watched, &info) < 0)
            continue;
        int status = 0;
        if (info.si_signo == SIGCHLD) {
            const pid_t done = ::waitpid(child, &status, WNOHANG);
            if (done != child)
                continue;
            if (WIFEXITED(status))
                return WEXITSTATUS(status);
            Say("the work stopped unexpectedly (signal " + std::to_string(WTERMSIG(status)) + ")");
            return kExitFailed;
        }
        ::kill(child, SIGKILL);
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        return -info.si_signo;
    }
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    CommandLine line;
    std::string problem;
    if (!ParseCommandLine(args, line, problem)) {
        Say(problem);
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }
    if (line.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    for (const fs::path& input : line.import.inputs) {
        std::error_code ec;
        if (!fs::exists(input, ec)) {
            Say(input.string() + ": no such file or folder");
            return kExitUsage;
        }
    }
    if (line.import.format == Format::Tei && !line.import.encoding.empty())
        Say("warning: --encoding is not used for TEI: an XML file names its own encoding");
    if (line.dataOut && fs::weakly_canonical(*line.dataOut) == fs::weakly_canonical(line.sourceOut)) {
        Say("OUT_SOURCE_DIR and the --build folder must differ");
        return kExitUsage;
    }

    StagedFolder source, data;
    if (!source.Prepare(line.sourceOut, line.force, IsSourceCorpus, problem) ||
        (line.dataOut && !data.Prepare(*line.dataOut, line.force, IsBuiltDataFolder, problem))) {
        Say(problem);
        return kExitUsage;
    }
    const int status = Supervise(line, source, line.dataOut ? &data : nullptr);
    if (status < 0) {
        Say("stopped by signal " + std::to_string(-status) + "; nothing was written");
        return kExitFailed;
    }
    if (status != 0)
        return status;  // the folders go with their destructors
    if (!source.Commit(problem) || (line.dataOut && !data.Commit(problem))) {
        Say(problem);
        return kExitFailed;
    }
    Say("wrote " + source.target().string() + (line.dataOut ? " and " + data.target().string() : std::string()));
    return 0;
}
