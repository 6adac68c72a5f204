// SPDX-License-Identifier: MIT
// What the benchmarks read of their own process: CPU time and peak memory.
#pragma once

#include <cstdio>

#include <sys/resource.h>
#include <unistd.h>

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

/// The process's resident set now, KiB (0 when /proc can't be read): a step that runs after a
/// larger one grows this without growing the peak.
inline long residentKiB()
{
    long pages = 0;
    long resident = 0;
    std::FILE* statm = std::fopen("/proc/self/statm", "r");
    if (statm == nullptr)
        return 0;
    const bool read = std::fscanf(statm, "%ld %ld", &pages, &resident) == 2;
    std::fclose(statm);
    return read ? resident * (::sysconf(_SC_PAGESIZE) / 1024) : 0;
}

} // namespace zonedesk::bench
