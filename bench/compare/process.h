#pragma once
// Running a program as a whole process and timing it: wall time from start to
// exit, and the CPU time (user + system) the child used.
#include <string>
#include <vector>

namespace vesk::bench {

struct ProcessRun {
    int status = -1;      // exit status, or -1 when it could not run or was killed
    std::string output;   // standard output
    double wallMs = 0;
    double cpuMs = 0;
};

ProcessRun RunProcess(const std::vector<std::string>& argv);

} // namespace vesk::bench
