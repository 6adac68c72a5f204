// SPDX-License-Identifier: MIT
// A lookup run: one worker thread per distinct WHOIS server of the table, started, counted and
// stopped from the UI thread. The list view and the CLI drive it alike.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "lookup/endpoints.h"
#include "lookup/internet_session.h"
#include "lookup/message_queue.h"

namespace zonedesk::core {
class DomainTable;
class PostTarget;
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

class LookupRun
{
public:
    /// `view` receives core::WM_WORKER_DONE from every worker; it and the table must outlive the run.
    LookupRun(core::DomainTable& table, core::PostTarget& view);

    /// Stops and joins every worker.
    ~LookupRun();
    LookupRun(const LookupRun&) = delete;
    LookupRun& operator=(const LookupRun&) = delete;

    void setSession(const InternetSession& session) { m_session = session; }

    void setEndpoints(const EndpointOverrides& endpoints) { m_endpoints = endpoints; }

    /// Keeps each record's reply in `replies` (resized to the table's count at the start of the
    /// run; it must outlive the run and not be touched until a record's `done` is seen).
    void keepRawReplies(std::vector<std::string>* replies) { m_rawReplies = replies; }

    enum class StartResult
    {
        NoDomains,         // the table is empty: say so; the run is over
        CannotStartThread, // say "Cannot Start New Thread"; the run is reported over at once
        Running,           // workers are running: wait for their core::WM_WORKER_DONE
        NothingToQuery,    // no record needed a lookup: the run is over
    };

    /// Handles the start of a run (WM_START_LOOKUPS). UI thread, not while a run is in progress.
    StartResult startLookups();

    /// Handles one core::WM_WORKER_DONE; true when it was the run's last worker. UI thread.
    bool workerDone();

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

    /// Waits for every worker thread to end. UI thread.
    void join();

    /// For a run whose view is `queue` (the CLI, tests): handles its messages until the last
    /// worker has reported (true), or until `interrupted` says so (false, after stopping and
    /// joining the workers); calls `tick` at least every `tickInterval`.
    bool waitForEnd(MessageQueue& queue,
                    std::chrono::milliseconds tickInterval,
                    const std::function<bool()>& interrupted,
                    const std::function<void()>& tick = {});

private:
    core::DomainTable& m_table;
    core::PostTarget& m_view;
    InternetSession m_session;
    EndpointOverrides m_endpoints;
    std::vector<std::string>* m_rawReplies = nullptr;
    std::int32_t m_runningWorkers = 0;

    struct WorkerSlot
    {
        std::string server;
        std::atomic<std::int64_t> throttledUntil{0};
    };

    std::vector<std::unique_ptr<WorkerSlot>> m_slots; // one per worker of the current run
    std::vector<std::jthread> m_threads;
};

} // namespace zonedesk::lookup
