#include "compare/measure.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <numeric>
#include <sys/stat.h>

namespace vesk::bench {

double NowMs()
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

namespace {
double ClockMs(clockid_t clock)
{
    timespec t{};
    clock_gettime(clock, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}
} // namespace

double ThreadCpuMs() { return ClockMs(CLOCK_THREAD_CPUTIME_ID); }
double ProcessCpuMs() { return ClockMs(CLOCK_PROCESS_CPUTIME_ID); }

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double MeasureReadBandwidth()
{
    std::vector<std::uint64_t> buffer(std::size_t{256} << 20 >> 3); // 256 MiB
    std::iota(buffer.begin(), buffer.end(), std::uint64_t{1});
    double best = 0;
    volatile std::uint64_t sink = 0;
    for (int pass = 0; pass < 5; ++pass) {
        const double start = NowMs();
        std::uint64_t s0 = 0, s1 = 0, s2 = 0, s3 = 0;
        for (std::size_t i = 0; i + 3 < buffer.size(); i += 4) {
            s0 += buffer[i];
            s1 += buffer[i + 1];
            s2 += buffer[i + 2];
            s3 += buffer[i + 3];
        }
        sink = sink + s0 + s1 + s2 + s3;
        const double seconds = (NowMs() - start) / 1e3;
        best = std::max(best, static_cast<double>(buffer.size() * 8) / seconds);
    }
    return best;
}

FolderSize SizeOf(const std::filesystem::path& path)
{
    FolderSize size;
    const auto add = [&](const std::filesystem::path& file) {
        struct stat st {};
        if (::stat(file.c_str(), &st) == 0) {
            size.apparent += static_cast<std::uint64_t>(st.st_size);
            size.onDisk += static_cast<std::uint64_t>(st.st_blocks) * 512;
        }
    };
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        for (const auto& entry : std::filesystem::directory_iterator(path, ec))
            if (entry.is_regular_file())
                add(entry.path());
    } else {
        add(path);
    }
    return size;
}

} // namespace vesk::bench
