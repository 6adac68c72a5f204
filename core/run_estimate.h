// SPDX-License-Identifier: MIT
// How long the rest of a run will take. Each host is asked by one worker at its own pace, so the
// run ends when its busiest host does: near the end, the overall rate of the fast hosts says
// nothing of the slow one that is left.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

namespace zonedesk::core {

class DomainTable;

struct HostProgress
{
    std::size_t finished = 0; // names of the host finished since the run started
    std::size_t left = 0;     // names of the host not finished yet
};

/// The seconds the rest of a run takes: the longest of its hosts' rests, each at its own pace so
/// far (never less than the rest at the overall rate, which is their mean). A host with names
/// left and none finished goes at the slowest pace seen. None until a name has finished.
std::optional<double> secondsLeft(const std::vector<HostProgress>& hosts, double elapsedSeconds);

/// The hosts of a run's names, noted before the workers start (they may change a record's host,
/// so it is not read again during the run).
class RunEstimate
{
public:
    /// Notes each record's host and whether it is done already.
    void begin(const DomainTable& table);

    /// Each host's progress since begin(), from the records' done flags alone.
    std::vector<HostProgress> progress(const DomainTable& table) const;

private:
    std::vector<std::size_t> m_hostOf;      // by record
    std::vector<std::size_t> m_doneAtStart; // by host
};

} // namespace zonedesk::core
