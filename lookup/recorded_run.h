// SPDX-License-Identifier: MIT
// A run and what keeps its results: the workers, the replies they received, and a recorder (the
// history) that is handed each finished record. The one object the desktop program, the CLI, the
// tests and the benches drive; the desktop program's only way into this floor.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/run_recorder.h"
#include "lookup/endpoints.h"
#include "lookup/internet_session.h"
#include "lookup/lookup_run.h"
#include "lookup/message_queue.h"

namespace zonedesk::lookup {

class RecordedRun
{
public:
    /// `target` receives core::WM_WORKER_DONE from every worker; it and the table must outlive
    /// the run.
    RecordedRun(core::DomainTable& table, core::PostTarget& target);

    /// Stops and joins the workers, then lets the recorder keep what finished.
    ~RecordedRun();
    RecordedRun(const RecordedRun&) = delete;
    RecordedRun& operator=(const RecordedRun&) = delete;

    void setSession(const InternetSession& session) { m_run.setSession(session); }

    void setEndpoints(const EndpointOverrides& endpoints) { m_run.setEndpoints(endpoints); }

    void setMaxWorkers(std::int32_t count) { m_run.setMaxWorkers(count); }

    void setServiceData(const core::ServiceData* services) { m_run.setServiceData(services); }

    void setReferralCache(std::filesystem::path file) { m_run.setReferralCache(std::move(file)); }

    /// Starts a run that `recorder` (none: nothing) keeps. The last run's recorder is let go
    /// first (see letRecorderGo). When the run is over at once (no
    /// domains, nothing to look up, a thread that could not start), the recorder is finished.
    LookupRun::StartResult start(std::unique_ptr<core::RunRecorder> recorder = nullptr);

    /// Handles one core::WM_WORKER_DONE; true when it was the last worker: the run is over and
    /// the recorder finished.
    bool workerDone();

    /// Hands the records finished since the last tick to the recorder. The driving thread.
    void tick();

    /// Asks the workers to stop, waits for them and finishes the recorder with what finished.
    void stop();

    /// See LookupRun::windDown: the run ends with its workers' reports, the recorder keeping what
    /// finished.
    void windDown() { m_run.windDown(); }

    bool windingDown() const { return m_run.windingDown(); }

    bool inProgress() const { return m_run.runningWorkers() > 0; }

    /// After the run: a later server's worker could not start, and its names were left unasked.
    bool startFailed() const { return m_run.startFailed(); }

    std::vector<LookupRun::ThrottleNotice> throttledServers() const { return m_run.throttledServers(); }

    /// After the run: waits until the recorder has written everything (its results can be read).
    /// Does nothing while workers run: the recorder keeps the run until it is over.
    void waitForRecorder();

    /// waitForRecorder(), then drops the recorder (not while workers run).
    void letRecorderGo();

    /// For a run whose target is `queue` (the CLI, tests, benches): handles its messages until the
    /// last worker has reported (true), or until `interrupted` says so (false, after stop());
    /// ticks the recorder, then calls `tick`, at least every `tickInterval`.
    bool waitForEnd(MessageQueue& queue,
                    std::chrono::milliseconds tickInterval,
                    const std::function<bool()>& interrupted,
                    const std::function<void()>& tick = {});

private:
    /// Hands the rest to the recorder and closes its run.
    void finishRecording();

    // The replies outlive the workers that write them (members go in reverse order).
    std::vector<std::string> m_replies; // per record, while a recorder keeps the run
    std::unique_ptr<core::RunRecorder> m_recorder;
    LookupRun m_run;
};

} // namespace zonedesk::lookup
