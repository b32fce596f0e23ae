#include "builder/spill_folder.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <unistd.h>

namespace vesk::build {
namespace {

constexpr char kRunPrefix[] = "/run-";
constexpr char kFolderPrefix[] = ".vesk-build-runs-";

// The folder the signal handler removes: at most one at a time (the first live
// SpillFolder); the handler reads it only while active is set.
struct SignalCleanup {
    char folder[4096] = {};
    std::atomic<std::uint32_t> runs{0};
    std::atomic<bool> active{false};
};
SignalCleanup g_cleanup;

// Writes folder + "/run-" + number into out (async-signal-safe).
void RunPathInto(char* out, std::size_t size, const char* folder, std::uint32_t number)
{
    std::size_t n = 0;
    for (const char* p = folder; *p != '\0' && n + 1 < size; ++p)
        out[n++] = *p;
    for (const char* p = kRunPrefix; *p != '\0' && n + 1 < size; ++p)
        out[n++] = *p;
    char digits[12];
    std::size_t d = 0;
    do {
        digits[d++] = static_cast<char>('0' + number % 10);
        number /= 10;
    } while (number != 0);
    while (d > 0 && n + 1 < size)
        out[n++] = digits[--d];
    out[n] = '\0';
}

extern "C" void RemoveSpillFolderAndEnd(int signal)
{
    if (g_cleanup.active.load()) {
        char path[sizeof g_cleanup.folder + 32];
        const std::uint32_t runs = g_cleanup.runs.load();
        for (std::uint32_t i = 0; i < runs; ++i) {
            RunPathInto(path, sizeof path, g_cleanup.folder, i);
            ::unlink(path);
        }
        ::rmdir(g_cleanup.folder);
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

} // namespace

SpillFolder::SpillFolder(std::filesystem::path parent) : m_parent(std::move(parent)) {}

SpillFolder::~SpillFolder()
{
    if (m_folder.empty())
        return;
    std::error_code ignored;
    std::filesystem::remove_all(m_folder, ignored);
    if (g_cleanup.active.load() && m_folder.native() == g_cleanup.folder)
        g_cleanup.active.store(false);
}

bool SpillFolder::NewRunPath(std::filesystem::path& path, std::string& error)
{
    std::lock_guard lock(m_mutex);
    if (m_folder.empty()) {
        std::string name = (m_parent / (std::string(kFolderPrefix) + "XXXXXX")).string();
        if (::mkdtemp(name.data()) == nullptr) {
            error = name + ": cannot create the folder for sorted runs: " + std::strerror(errno);
            return false;
        }
        m_folder = name;
        if (!g_cleanup.active.load() && name.size() < sizeof g_cleanup.folder) {
            std::memcpy(g_cleanup.folder, name.c_str(), name.size() + 1);
            g_cleanup.runs.store(0);
            g_cleanup.active.store(true);
        }
    }
    char text[32];
    RunPathInto(text, sizeof text, "", m_runs);
    path = m_folder / (text + 1); // without the leading "/"
    ++m_runs;
    if (g_cleanup.active.load() && m_folder.native() == g_cleanup.folder)
        g_cleanup.runs.store(m_runs);
    return true;
}

void RemoveStaleSpillFolders(const std::filesystem::path& parent)
{
    std::error_code ec;
    std::filesystem::directory_iterator entries(parent, ec);
    for (; !ec && entries != std::filesystem::directory_iterator(); entries.increment(ec)) {
        const std::filesystem::path& path = entries->path();
        if (path.filename().string().starts_with(kFolderPrefix)) {
            std::error_code ignored; // best effort: the build goes on without it
            std::filesystem::remove_all(path, ignored);
        }
    }
}

void RemoveSpillFoldersOnSignals()
{
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction old {};
        if (::sigaction(signal, nullptr, &old) == 0 && old.sa_handler == SIG_IGN)
            continue; // e.g. SIGHUP under nohup: stays ignored
        struct sigaction action {};
        action.sa_handler = RemoveSpillFolderAndEnd;
        sigemptyset(&action.sa_mask);
        ::sigaction(signal, &action, nullptr);
    }
}

} // namespace vesk::build
