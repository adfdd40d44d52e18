// The process's peak resident memory so far, for the benchmarks' memory figures.
#pragma once

#include <sys/resource.h>

inline double peakMB()
{
    struct rusage usage {
    };
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}
