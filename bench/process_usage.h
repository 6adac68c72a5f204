// SPDX-License-Identifier: MIT
// What the benchmarks read of their own process: CPU time and peak memory.
#pragma once

#include <sys/resource.h>

namespace zonedesk::bench {

/// User and system CPU seconds of this process so far.
inline double cpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

/// The process's peak resident set, KiB.
inline long maxRssKiB()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace zonedesk::bench
