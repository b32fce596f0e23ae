#pragma once
// The comparison run: builds, measurements, checks and the printed table.
#include <filesystem>
#include <string>

namespace vesk::bench {

struct Options {
    std::filesystem::path data, work, tool, builder, source;
    std::string rg = "rg";
    int runs = 21;     // in-process runs of each query (after the first)
    int toolRuns = 31; // vesk-tool processes per query (each beside a /bin/true)
    int peerRuns = 3;  // runs of each peer per query
    bool smoke = false;
    bool reuse = false; // keep the peers' files and build times of an earlier run
    bool oursOnly = false; // no peers: our figures alone (peers' figures from an earlier run)
};

// Returns the exit status of compare_bench.
int RunComparison(const Options& options);

} // namespace vesk::bench
