#pragma once
// The folder of the running executable: the benchmarks' default data folder
// (the demo data sits beside the programs after ./run).
#include <string>
#include <unistd.h>

inline std::string ExecutableFolder()
{
    char path[4096];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return ".";
    const std::string s(path, static_cast<std::size_t>(n));
    return s.substr(0, s.rfind('/'));
}
