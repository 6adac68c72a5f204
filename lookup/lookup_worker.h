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
#include <vector>

#include "core/whois_servers.h"
#include "lookup/endpoints.h"
#include "lookup/internet_session.h"
#include "parse/reading.h"

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
    /// When set (sized to `count`), each record's reply is kept at its index, written before the
    /// record's `done`, so a reader that has seen `done` may read it.
    std::vector<std::string>* rawReplies = nullptr;
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

    /// Looks record `index` up over its registry's transports (port 43, RDAP, or one then the
    /// other when the first gives no usable answer) and stores what stands. Settles the record in
    /// every case but a stop, which leaves it untouched.
    void lookUp(std::size_t index);

    bool openInternet(const InternetSession& options);
    void closeInternet();

private:
    /// The pause before each query of a transport that throttled (see InternetSession).
    struct Pace
    {
        std::chrono::milliseconds pause{0};
        int answersInARow = 0;

        void throttled(const InternetSession& session);
        void answered(const InternetSession& session);
    };

    /// One name over port 43: exchanges until an answer, asking a throttling server again after
    /// each of the session's pauses; an exchange that failed or ended before the server closed is
    /// Error with its reason. nullopt when stopped.
    std::optional<parse::Reading> askWhois(const std::string& query, std::string& raw);

    /// One name over RDAP, with the same retries for 429 and server errors (Retry-After honoured).
    std::optional<parse::Reading>
    askRdap(const std::string& base, const std::string& query, std::string& raw);

    /// Sleeps `pause` unless a stop comes first, showing when the worker asks again; false when stopped.
    bool waitForRetry(std::chrono::milliseconds pause);

    std::stop_token m_stop;
    core::DomainTable* m_table = nullptr;
    std::int32_t m_count = 0;
    std::string m_server;
    std::optional<core::WhoisServer> m_whoisServer;
    Endpoint m_endpoint;
    const EndpointOverrides* m_rdapBases = nullptr; // RDAP bases by suffix, overrides included
    Pace m_paces[2];                                // port 43, RDAP
    std::optional<InternetSession> m_internet;
    std::atomic<std::int64_t>* m_throttledUntil = nullptr;
    std::vector<std::string>* m_rawReplies = nullptr;
};

/// A worker thread's function: runs a LookupWorker on `params`, which it owns.
void lookupThreadMain(std::stop_token stop, std::unique_ptr<WorkerParams> params);

} // namespace zonedesk::lookup
