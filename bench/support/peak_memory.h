#pragma once
// The benchmarks' memory figures, from /proc/self/status: what the process holds now and
// the most it has held since the mark was last started afresh.
#include <cstdlib>
#include <fstream>
#include <string>

namespace mq::bench {

// Kilobytes of a field of /proc/self/status ("VmRSS", "VmHWM").
inline long statusKb(const std::string& field)
{
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(field + ":", 0) == 0)
            return std::atol(line.c_str() + field.size() + 1);
    return 0;
}

// Starts the peak-memory mark afresh at the current use, and returns that use.
inline long resetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
    return statusKb("VmRSS");
}

}  // namespace mq::bench
