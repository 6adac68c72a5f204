// SPDX-License-Identifier: MIT
// Starting, counting and stopping the workers of a run.
#include "lookup/lookup_run.h"

#include <cstddef>
#include <memory>
#include <system_error>
#include <utility>

#include "core/domain_table.h"
#include "core/field_copy.h"
#include "core/whois_servers.h"
#include "core/worker_ended.h"
#include "lookup/host_resolver.h"
#include "lookup/lookup_worker.h"
#include "net/curl_dns_share.h"

namespace zonedesk::lookup {

std::string nextServerToStart(core::DomainTable& table)
{
    std::string target;
    for (const core::DomainRecord& record : table.inUse()) {
        if (record.claimed == 0 && record.server[0] != '\0') {
            target = std::string(core::fieldText(record.server));
            break;
        }
    }
    for (core::DomainRecord& record : table.inUse()) {
        if (record.claimed != 0)
            continue;
        if (record.server[0] == '\0') {
            record.claimed = 1;
            core::publishDone(record); // settled without a lookup, status NoServer
        } else if (core::fieldText(record.server) == target) {
            record.claimed = 1;
        }
    }
    return target;
}

std::jthread startWorkerThread(std::unique_ptr<WorkerParams> params)
{
    return std::jthread(lookupThreadMain, std::move(params));
}

LookupRun::LookupRun(core::DomainTable& table, core::WorkerEndTarget& target, WorkerThreadStarter startThread)
    : m_table(table)
    , m_target(target)
    , m_startThread(std::move(startThread))
{}

LookupRun::~LookupRun()
{
    requestStop();
    join();
}

LookupRun::StartResult LookupRun::startLookups()
{
    // The workers of an earlier run have all reported their end; collect their threads.
    join();
    m_slots.clear();
    if (m_table.count() == 0)
        return StartResult::NoDomains;
    if (m_rawReplies != nullptr) {
        m_rawReplies->clear();
        m_rawReplies->resize(static_cast<std::size_t>(m_table.count()));
    }
    m_startFailed = false;
    m_windingDown = false;
    m_whoisHosts = std::make_shared<HostResolver>();
    m_rdapHosts = std::make_shared<net::CurlDnsShare>();
    std::vector<std::size_t> unclaimed; // what a start that cannot finish gives back
    for (std::size_t i = 0; i < static_cast<std::size_t>(m_table.count()); ++i) {
        if (m_table[i].claimed == 0)
            unclaimed.push_back(i);
    }
    if (!startWorkers()) {
        abandonStart(unclaimed);
        m_startFailed = false; // said by the result itself
        return StartResult::CannotStartThread;
    }
    return m_runningWorkers > 0 ? StartResult::Running : StartResult::NothingToQuery;
}

bool LookupRun::startWorkers()
{
    while (m_runningWorkers < m_maxWorkers) {
        const std::string target = nextServerToStart(m_table);
        if (target.empty())
            return true;
        auto params = std::make_unique<WorkerParams>();
        params->target = &m_target;
        params->table = &m_table;
        params->count = m_table.count();
        params->server = target;
        params->options = m_session;
        if (!params->options.whoisHosts)
            params->options.whoisHosts = m_whoisHosts;
        if (!params->options.rdapHosts)
            params->options.rdapHosts = m_rdapHosts;
        params->endpoints = &m_endpoints;
        auto& slot = m_slots.emplace_back(std::make_unique<WorkerSlot>());
        slot->server = target;
        params->throttledUntil = &slot->throttledUntil;
        params->ended = &slot->ended;
        params->services = m_services;
        params->referralCache = m_referralCache;
        params->rawReplies = m_rawReplies;
        try {
            m_threads.push_back(m_startThread(std::move(params)));
        } catch (const std::system_error&) {
            m_slots.pop_back();
            for (core::DomainRecord& record : m_table.inUse()) {
                if (core::fieldText(record.server) == target && !core::isDone(record))
                    record.claimed = 0;
            }
            m_startFailed = true;
            return false;
        }
        ++m_runningWorkers;
    }
    return true;
}

void LookupRun::abandonStart(const std::vector<std::size_t>& unclaimedAtStart)
{
    // The caller reports the run over at once and may then clear the table: no worker may be left
    // writing into it.
    requestStop();
    join();
    m_slots.clear();
    // What the workers finished stands; the rest is as it was before the start, so that a later
    // start looks it up.
    for (const std::size_t i : unclaimedAtStart) {
        core::DomainRecord& record = m_table[i];
        if (!core::isDone(record))
            record.claimed = 0;
    }
}

std::vector<LookupRun::ThrottleNotice> LookupRun::throttledServers() const
{
    std::vector<ThrottleNotice> notices;
    for (const auto& slot : m_slots) {
        const std::int64_t until = slot->throttledUntil.load(std::memory_order_acquire);
        if (until != 0) {
            notices.push_back(
                {slot->server,
                 std::chrono::steady_clock::time_point(std::chrono::steady_clock::duration(until))});
        }
    }
    return notices;
}

FinishedRecords collectFinished(core::DomainTable& table, std::int32_t rows)
{
    FinishedRecords finished;
    for (std::int32_t i = 0; i < table.count(); ++i) {
        core::DomainRecord& record = table[static_cast<std::size_t>(i)];
        if (!core::isDone(record))
            continue;
        ++finished.done;
        if (i < rows && record.shown == 0) {
            record.shown = 1;
            finished.newlyFinished.push_back(i);
        }
    }
    return finished;
}

bool LookupRun::waitForEnd(WorkerEndQueue& queue,
                           std::chrono::milliseconds tickInterval,
                           const std::function<bool()>& interrupted,
                           const std::function<void()>& tick)
{
    for (;;) {
        if (interrupted && interrupted()) {
            requestStop();
            join();
            return false;
        }
        if (queue.take(tickInterval) && workerDone())
            return true;
        if (tick)
            tick();
    }
}

bool LookupRun::workerDone()
{
    if (m_strayReports > 0) {
        --m_strayReports;
        return false;
    }
    if (m_runningWorkers <= 0)
        return false;
    --m_runningWorkers;
    joinEnded();
    // After a thread that could not start, no new one is tried: the run ends with the workers it has.
    if (!m_startFailed && !m_windingDown)
        startWorkers();
    if (m_runningWorkers > 0)
        return false;
    if (m_windingDown) {
        // Every worker has reported its end, its last act: none writes into the table any more.
        for (core::DomainRecord& record : m_table.inUse()) {
            if (!core::isDone(record))
                record.claimed = 0;
        }
    }
    return true;
}

void LookupRun::windDown()
{
    if (m_runningWorkers == 0)
        return;
    m_windingDown = true;
    requestStop();
}

void LookupRun::joinEnded()
{
    for (std::size_t i = 0; i < m_threads.size() && i < m_slots.size(); ++i) {
        if (m_threads[i].joinable() && m_slots[i]->ended.load(std::memory_order_acquire))
            m_threads[i].join();
    }
}

void LookupRun::requestStop()
{
    for (std::jthread& thread : m_threads)
        thread.request_stop();
}

void LookupRun::join()
{
    for (std::jthread& thread : m_threads) {
        if (thread.joinable())
            thread.join();
    }
    m_threads.clear();
    m_strayReports += m_runningWorkers;
    m_runningWorkers = 0;
}

} // namespace zonedesk::lookup
