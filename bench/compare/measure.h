#pragma once
// Small measuring helpers: clocks, medians, memory bandwidth, file sizes.
#include <cstdint>
#include <filesystem>
#include <vector>

namespace vesk::bench {

double NowMs();
double ThreadCpuMs();
double ProcessCpuMs();
double Median(std::vector<double> values);

// Read bandwidth of this machine in bytes per second: the best of a few
// passes summing a buffer far larger than the caches.
double MeasureReadBandwidth();

struct FolderSize {
    std::uint64_t apparent = 0; // bytes of the files
    std::uint64_t onDisk = 0;   // bytes of the blocks they take
};
FolderSize SizeOf(const std::filesystem::path& path); // a file or every file of a folder

} // namespace vesk::bench
