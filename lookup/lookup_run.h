// SPDX-License-Identifier: MIT
// A lookup run: one worker thread per distinct WHOIS server of the table, started, counted and
// stopped from the thread that drives it (the UI thread, the CLI's main thread), through RunWithHistory.
#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "lookup/endpoints.h"
#include "lookup/exchange_options.h"
#include "lookup/iana_referral.h"
#include "lookup/lookup_worker.h"
#include "lookup/worker_end_queue.h"

namespace zonedesk::core {
class DomainTable;
class WorkerEndTarget;
} // namespace zonedesk::core

namespace zonedesk::lookup {

/// The distinct-server scan: the `server` of the first unclaimed record that has one (empty when
/// none is left). On the way every unclaimed record of that server is claimed, and every unclaimed
/// record without a server is claimed and settled as done (status NoServer). UI thread.
std::string nextServerToStart(core::DomainTable& table);

/// One refresh tick's harvest: the records newly seen finished among the first rows, now marked
/// `shown`, and how many records of the table are finished in all.
struct FinishedRecords
{
    std::vector<int> newlyFinished; // ascending
    std::int32_t done = 0;
};

/// Marks every finished, not yet shown record among the first `rows` shown (acquire on `done`, so
/// its results may be read) and counts the finished records of the whole table. UI thread.
FinishedRecords collectFinished(core::DomainTable& table, std::int32_t rows);

/// Starts a worker's thread (lookupThreadMain on `params`); throws std::system_error when no
/// thread can be started.
using WorkerThreadStarter = std::function<std::jthread(std::unique_ptr<WorkerParams> params)>;

/// The starter every run uses unless told otherwise: a new std::jthread.
std::jthread startWorkerThread(std::unique_ptr<WorkerParams> params);

class LookupRun
{
public:
    /// `target` receives the end of every worker; it and the table must outlive the run.
    /// `startThread` starts each worker's thread (UI thread).
    LookupRun(core::DomainTable& table,
              core::WorkerEndTarget& target,
              WorkerThreadStarter startThread = startWorkerThread);

    /// Stops and joins every worker.
    ~LookupRun();
    LookupRun(const LookupRun&) = delete;
    LookupRun& operator=(const LookupRun&) = delete;

    /// The limits of the run's exchanges. Without a resolver of its own, each run looks each host
    /// up once for all its workers.
    void setExchangeOptions(const ExchangeOptions& session) { m_session = session; }

    void setEndpoints(const EndpointOverrides& endpoints) { m_endpoints = endpoints; }

    /// Where names beyond the ten registries are asked (null: the shipped data); it must outlive
    /// the run. Not during a run.
    void setServiceData(const core::ServiceData* services) { m_services = services; }

    /// The file IANA's referrals are kept in (default: the user's cache folder).
    void setReferralCache(std::filesystem::path file) { m_referralCache = std::move(file); }

    /// Keeps each record's reply in `replies` (resized to the table's count at the start of the
    /// run; it must outlive the run and not be touched until a record's `done` is seen).
    void keepRawReplies(std::vector<std::string>* replies) { m_rawReplies = replies; }

    enum class StartResult
    {
        NoDomains,         // the table is empty: say so; the run is over
        CannotStartThread, // say "Cannot Start New Thread"; the run is over: its workers have
                           // ended, and its records not finished are unclaimed again
        Running,           // workers are running: wait for their ends
        NothingToQuery,    // no record needed a lookup: the run is over
    };

    /// At most this many workers run at once (at least 1); the next server's worker starts as one
    /// ends. Not during a run.
    void setMaxWorkers(std::int32_t count) { m_maxWorkers = std::max<std::int32_t>(1, count); }

    /// Handles the start of a run. UI thread, not while a run is in progress.
    StartResult startLookups();

    /// Handles one worker's end, starting the next server's worker; true when it was the
    /// run's last worker. The reports of workers joined before they were handled belong to no run
    /// and count for none. UI thread.
    bool workerDone();

    /// A worker after the first could not start: its server's names and the ones after it were
    /// left unasked (the run ended with the workers that did start). As of the run's end.
    bool startFailed() const { return m_startFailed; }

    std::int32_t runningWorkers() const { return m_runningWorkers; }

    struct ThrottleNotice
    {
        std::string server;
        std::chrono::steady_clock::time_point retryAt;
    };

    /// The servers whose workers are waiting out a throttle, and when they ask again. UI thread.
    std::vector<ThrottleNotice> throttledServers() const;

    /// Asks every worker to stop; each leaves its unfinished records as they are. Any thread.
    void requestStop();

    /// The user's Stop: asks every worker to stop and starts no further server's worker. The run
    /// ends as usual, with the last worker's report, and then gives its unfinished records back
    /// (unclaimed), so that the next start looks them up. UI thread, during a run.
    void windDown();

    /// Since windDown(), until the next start.
    bool windingDown() const { return m_windingDown; }

    /// Waits for every worker thread to end; the run then has no running workers, and the reports
    /// its workers posted but were not handled yet are left out of any later count. UI thread.
    void join();

    /// For a run whose target is `queue` (the CLI, tests): handles its messages until the last
    /// worker has reported (true), or until `interrupted` says so (false, after stopping and
    /// joining the workers); calls `tick` at least every `tickInterval`.
    bool waitForEnd(WorkerEndQueue& queue,
                    std::chrono::milliseconds tickInterval,
                    const std::function<bool()>& interrupted,
                    const std::function<void()>& tick = {});

private:
    /// After a thread could not start: stops and joins the workers already started, and unclaims
    /// the records among `unclaimedAtStart` that none of them finished.
    void abandonStart(const std::vector<std::size_t>& unclaimedAtStart);

    /// Starts the next servers' workers while fewer than the most run; false when a thread could
    /// not start (that server's records are unclaimed again).
    bool startWorkers();

    core::DomainTable& m_table;
    core::WorkerEndTarget& m_target;
    ExchangeOptions m_session;
    std::shared_ptr<HostResolver> m_whoisHosts; // the current run's
    std::shared_ptr<net::CurlDnsShare> m_rdapHosts;
    EndpointOverrides m_endpoints;
    std::vector<std::string>* m_rawReplies = nullptr;
    WorkerThreadStarter m_startThread;
    std::int32_t m_runningWorkers = 0;
    std::int32_t m_maxWorkers = 32;
    const core::ServiceData* m_services = nullptr;
    std::filesystem::path m_referralCache = defaultReferralCache();
    bool m_startFailed = false;
    bool m_windingDown = false;
    /// Ends still queued for the target from workers already joined: each
    /// worker posts exactly one before its thread ends, and the queue hands them over before any
    /// report of a later run.
    std::int32_t m_strayReports = 0;

    struct WorkerSlot
    {
        std::string server;
        std::atomic<std::int64_t> throttledUntil{0};
        std::atomic<bool> ended{false};
    };

    /// Joins the threads of the workers that have said they ended.
    void joinEnded();

    std::vector<std::unique_ptr<WorkerSlot>> m_slots; // one per worker of the current run
    std::vector<std::jthread> m_threads;              // m_threads[i] runs m_slots[i]'s worker
};

} // namespace zonedesk::lookup
