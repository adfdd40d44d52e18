// The process's peak resident memory and CPU time, for the benchmarks' memory and load figures.
#pragma once

#include <sys/resource.h>

inline double peakMB()
{
    struct rusage usage {
    };
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

// The CPU time of every thread of the process so far, in seconds: with work spread over a thread
// pool, the benchmark's own CPU column counts only the main thread.
inline double processCpuSeconds()
{
    struct rusage usage {
    };
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval &t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}
