// SPDX-License-Identifier: MIT
// One worker: the records of one WHOIS server, queried one after another on the worker's thread.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>

#include "core/whois_servers.h"
#include "lookup/endpoints.h"
#include "lookup/internet_session.h"

namespace zonedesk::core {
class DomainTable;
class PostTarget;
} // namespace zonedesk::core

namespace zonedesk::lookup {

class LookupWorker;

/// What the UI thread hands a worker at its creation; the worker's thread owns it from then on.
struct WorkerParams
{
    core::PostTarget* view = nullptr; // receives core::WM_WORKER_DONE
    core::DomainTable* table = nullptr;
    std::int32_t count = 0;                       // the table's count when the worker was created
    char server[52] = {};                         // the host the worker queries
    std::optional<core::WhoisServer> whoisServer; // whose rules read its replies; none: no branch
    InternetSession options;                      // the limits the worker's session opens with
    const EndpointOverrides* endpoints = nullptr; // outlives the worker (owned by the run)
    /// While the worker waits for a throttling server: when it asks again (steady clock, ns);
    /// 0 otherwise. Written by the worker (release), read by the UI thread (acquire).
    std::atomic<std::int64_t>* throttledUntil = nullptr;
};

class LookupWorker
{
public:
    explicit LookupWorker(std::stop_token stop);
    ~LookupWorker();
    LookupWorker(const LookupWorker&) = delete;
    LookupWorker& operator=(const LookupWorker&) = delete;

    /// The whole life of the worker: open the session, look up every record of the server, close,
    /// and post core::WM_WORKER_DONE (lParam -1 when the session did not open). Worker thread.
    bool run(const WorkerParams& params);

    /// Each record of the worker's server among the first `count`, in table order, until a stop.
    void lookupAll();

    /// One exchange for record `index` and its parse; false when nothing could be received. Settles
    /// the record in every case but a stop: an exchange that failed or ended before the server
    /// closed gives Error with its reason. A throttling server is asked again after each of the
    /// session's pauses. A stopped exchange or wait leaves the record untouched.
    bool queryWhois(std::size_t index);

    bool openInternet(const InternetSession& options);
    void closeInternet();

private:
    /// Sleeps `pause` unless a stop comes first, showing when the worker asks again; false when stopped.
    bool waitForRetry(std::chrono::milliseconds pause);

    std::stop_token m_stop;
    core::DomainTable* m_table = nullptr;
    std::int32_t m_count = 0;
    std::string m_server;
    std::optional<core::WhoisServer> m_whoisServer;
    Endpoint m_endpoint;
    std::optional<InternetSession> m_internet;
    std::atomic<std::int64_t>* m_throttledUntil = nullptr;
};

/// A worker thread's function: runs a LookupWorker on `params`, which it owns.
void lookupThreadMain(std::stop_token stop, std::unique_ptr<WorkerParams> params);

} // namespace zonedesk::lookup
