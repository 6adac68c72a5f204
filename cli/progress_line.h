// SPDX-License-Identifier: MIT
// The one-line progress of a lookup run on a terminal.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace zonedesk::cli {

struct ProgressFacts
{
    std::size_t done = 0;
    std::size_t total = 0;
    double seconds = 0;                // since the run started
    std::optional<double> secondsLeft; // at the busiest host's pace; none: at the overall rate

    struct Waiting
    {
        std::string server;
        double seconds = 0; // until its next query
    };

    std::vector<Waiting> waiting; // servers paused by throttling
};

/// "done/total (pct)  rate/s  ETA  server waits Ns", cut to `columns` - 1 characters so that it
/// never reaches the terminal's last column (where a terminal would wrap it).
std::string progressLine(const ProgressFacts& facts, int columns);

/// A duration in seconds as "42s", "3m05s" or "1h02m".
std::string shortDuration(double seconds);

} // namespace zonedesk::cli
