// SPDX-License-Identifier: MIT
#include "core/run_estimate.h"

#include <algorithm>
#include <map>
#include <string_view>

#include "core/domain_table.h"
#include "core/field_copy.h"

namespace zonedesk::core {

std::optional<double> secondsLeft(const std::vector<HostProgress>& hosts, double elapsedSeconds)
{
    if (elapsedSeconds <= 0)
        return std::nullopt;
    double slowest = 0; // names per second of the slowest host that has finished one
    for (const HostProgress& host : hosts) {
        if (host.finished == 0)
            continue;
        const double rate = static_cast<double>(host.finished) / elapsedSeconds;
        slowest = slowest == 0 ? rate : std::min(slowest, rate);
    }
    if (slowest == 0)
        return std::nullopt;
    double longest = 0;
    for (const HostProgress& host : hosts) {
        const double rate = host.finished > 0 ? static_cast<double>(host.finished) / elapsedSeconds : slowest;
        longest = std::max(longest, static_cast<double>(host.left) / rate);
    }
    return longest;
}

void RunEstimate::begin(const DomainTable& table)
{
    std::map<std::string_view, std::size_t> hosts;
    m_hostOf.clear();
    m_doneAtStart.clear();
    for (const DomainRecord& record : table.inUse()) {
        const auto [at, added] = hosts.try_emplace(fieldText(record.server), hosts.size());
        if (added)
            m_doneAtStart.push_back(0);
        m_hostOf.push_back(at->second);
        m_doneAtStart[at->second] += isDone(record) ? 1U : 0U;
    }
}

std::vector<HostProgress> RunEstimate::progress(const DomainTable& table) const
{
    std::vector<HostProgress> hosts(m_doneAtStart.size());
    const auto records = table.inUse();
    for (std::size_t i = 0; i < records.size() && i < m_hostOf.size(); ++i) {
        HostProgress& host = hosts[m_hostOf[i]];
        (isDone(records[i]) ? host.finished : host.left) += 1;
    }
    for (std::size_t host = 0; host < hosts.size(); ++host)
        hosts[host].finished -= std::min(hosts[host].finished, m_doneAtStart[host]);
    return hosts;
}

} // namespace zonedesk::core
