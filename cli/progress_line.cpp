// SPDX-License-Identifier: MIT
#include "cli/progress_line.h"

#include <cmath>
#include <cstdio>

namespace zonedesk::cli {

std::string shortDuration(double seconds)
{
    const long total = std::lround(std::max(0.0, seconds));
    char text[32];
    int length = 0;
    if (total < 60)
        length = std::snprintf(text, sizeof(text), "%lds", total);
    else if (total < 3600)
        length = std::snprintf(text, sizeof(text), "%ldm%02lds", total / 60, total % 60);
    else
        length = std::snprintf(text, sizeof(text), "%ldh%02ldm", total / 3600, total % 3600 / 60);
    return length > 0 ? std::string(text, static_cast<std::size_t>(length)) : std::string();
}

std::string progressLine(const ProgressFacts& facts, int columns)
{
    const double rate = facts.seconds > 0 ? static_cast<double>(facts.done) / facts.seconds : 0.0;
    const std::size_t percent = facts.total > 0 ? facts.done * 100 / facts.total : 100;
    char head[96];
    const int length =
        std::snprintf(head, sizeof(head), "%zu/%zu (%zu%%)  %.1f/s", facts.done, facts.total, percent, rate);
    std::string line(head, static_cast<std::size_t>(std::max(length, 0)));
    line += "  ETA ";
    if (facts.done >= facts.total)
        line += "0s";
    else if (facts.secondsLeft)
        line += shortDuration(*facts.secondsLeft);
    else
        line += rate > 0 ? shortDuration(static_cast<double>(facts.total - facts.done) / rate) : "--";
    for (const auto& waiting : facts.waiting)
        line += "  " + waiting.server + " throttled, next in " + shortDuration(waiting.seconds);
    // Server names and the figures are ASCII: a byte is a column.
    const auto room = static_cast<std::size_t>(std::max(columns - 1, 0));
    if (line.size() > room)
        line.resize(room);
    return line;
}

} // namespace zonedesk::cli
