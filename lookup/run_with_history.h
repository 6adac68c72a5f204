// SPDX-License-Identifier: MIT
// A run and what keeps its results: the workers, the replies they received, and a history writer (the
// history) that is handed each finished record. The one object the desktop program, the CLI, the
// tests and the benches drive; the desktop program's only way into this floor.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/run_history.h"
#include "lookup/endpoints.h"
#include "lookup/exchange_options.h"
#include "lookup/lookup_run.h"
#include "lookup/worker_end_queue.h"

namespace zonedesk::lookup {

class RunWithHistory
{
public:
    /// `target` receives the end of every worker; it and the table must outlive
    /// the run.
    RunWithHistory(core::DomainTable& table, core::WorkerEndTarget& target);

    /// Stops and joins the workers, then lets the history writer keep what finished.
    ~RunWithHistory();
    RunWithHistory(const RunWithHistory&) = delete;
    RunWithHistory& operator=(const RunWithHistory&) = delete;

    void setExchangeOptions(const ExchangeOptions& session) { m_run.setExchangeOptions(session); }

    void setEndpoints(const EndpointOverrides& endpoints) { m_run.setEndpoints(endpoints); }

    void setMaxWorkers(std::int32_t count) { m_run.setMaxWorkers(count); }

    void setServiceData(const core::ServiceData* services) { m_run.setServiceData(services); }

    void setReferralCache(std::filesystem::path file) { m_run.setReferralCache(std::move(file)); }

    /// Starts a run that `runHistory` (none: nothing) keeps. The last run's history is let go
    /// first (see letHistoryGo). When the run is over at once (no
    /// domains, nothing to look up, a thread that could not start), the history writer is finished.
    LookupRun::StartResult start(std::unique_ptr<core::RunHistory> runHistory = nullptr);

    /// Handles one worker's end; true when it was the last worker: the run is over and
    /// the history writer finished.
    bool workerDone();

    /// Hands the records finished since the last tick to the history writer. The driving thread.
    void tick();

    /// Asks the workers to stop, waits for them and finishes the history writer with what finished.
    void stop();

    /// See LookupRun::windDown: the run ends with its workers' reports, the history writer keeping what
    /// finished.
    void windDown() { m_run.windDown(); }

    bool windingDown() const { return m_run.windingDown(); }

    bool inProgress() const { return m_run.runningWorkers() > 0; }

    /// After the run: a later server's worker could not start, and its names were left unasked.
    bool startFailed() const { return m_run.startFailed(); }

    std::vector<LookupRun::ThrottleNotice> throttledServers() const { return m_run.throttledServers(); }

    /// After the run: waits until the history writer has written everything (its results can be read).
    /// Does nothing while workers run: the history writer keeps the run until it is over.
    void waitForHistory();

    /// waitForHistory(), then drops the history writer (not while workers run).
    void letHistoryGo();

    /// For a run whose target is `queue` (the CLI, tests, benches): handles its messages until the
    /// last worker has reported (true), or until `interrupted` says so (false, after stop());
    /// ticks the history writer, then calls `tick`, at least every `tickInterval`.
    bool waitForEnd(WorkerEndQueue& queue,
                    std::chrono::milliseconds tickInterval,
                    const std::function<bool()>& interrupted,
                    const std::function<void()>& tick = {});

private:
    /// Hands the rest to the history writer and closes its run.
    void finishRecording();

    // The replies outlive the workers that write them (members go in reverse order).
    std::vector<std::string> m_replies; // per record, while a history writer keeps the run
    std::unique_ptr<core::RunHistory> m_runHistory;
    LookupRun m_run;
};

} // namespace zonedesk::lookup
