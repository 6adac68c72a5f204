// SPDX-License-Identifier: MIT
// The worker loop: one connection at a time, records of one server in table order.
#include "lookup/lookup_worker.h"

#include <chrono>
#include <memory>

#include "core/domain_table.h"
#include "core/field_copy.h"
#include "core/post_target.h"
#include "core/whois_query_name.h"
#include "core/window_messages.h"
#include "lookup/stoppable_sleep.h"
#include "lookup/whois_exchange.h"
#include "parse/parse_reply.h"
#include "parse/service_refusals.h"

namespace zonedesk::lookup {

LookupWorker::LookupWorker(std::stop_token stop)
    : m_stop(std::move(stop))
{}

LookupWorker::~LookupWorker()
{
    closeInternet();
}

bool LookupWorker::openInternet(const InternetSession& options)
{
    if (!options.open())
        return false;
    m_internet = options;
    return true;
}

void LookupWorker::closeInternet()
{
    m_internet.reset();
}

bool LookupWorker::run(const WorkerParams& params)
{
    m_table = params.table;
    m_count = params.count;
    m_server = std::string(core::fieldText(params.server));
    m_whoisServer = params.whoisServer;
    m_endpoint = params.endpoints != nullptr ? params.endpoints->endpointFor(m_server) : Endpoint{m_server};
    m_throttledUntil = params.throttledUntil;
    if (!openInternet(params.options)) {
        params.view->post(core::WM_WORKER_DONE, -1);
        return false;
    }
    lookupAll();
    closeInternet();
    params.view->post(core::WM_WORKER_DONE, 0);
    return true;
}

void LookupWorker::lookupAll()
{
    for (std::int32_t i = 0; i < m_count && !m_stop.stop_requested(); ++i) {
        const auto index = static_cast<std::size_t>(i);
        if (core::fieldText((*m_table)[index].server) == m_server)
            queryWhois(index);
    }
}

bool LookupWorker::queryWhois(std::size_t index)
{
    core::DomainRecord& record = (*m_table)[index];
    const auto query = core::whoisQueryName(core::fieldText(record.domain));
    if (!query || !m_internet) {
        parse::settleAsError(record, query ? core::ErrorReason::ConnectFailed : core::ErrorReason::BadName);
        return false;
    }
    for (std::size_t retry = 0;; ++retry) {
        const ExchangeResult result = exchangeWhois(m_endpoint, *query, *m_internet, m_stop);
        if (result.outcome == ExchangeOutcome::Stopped)
            return false;
        if (result.outcome == ExchangeOutcome::Failed) {
            parse::settleAsError(record, result.reason);
            return false;
        }
        // Part of a reply may look like a whole one (a record without its dates, a phrase cut
        // short): only a reply the server finished is read.
        if (result.reason != core::ErrorReason::None) {
            parse::settleAsError(record, result.reason);
            return true;
        }
        const parse::Refusal refusal = parse::serviceRefusal(result.reply);
        if (refusal == parse::Refusal::Throttled && retry < m_internet->throttleRetryPauses.size()) {
            // Still one connection at a time: the worker itself waits before asking again.
            if (!waitForRetry(m_internet->throttleRetryPauses[retry]))
                return false;
            continue;
        }
        // A refusal after the last retry reads as Error.
        if (m_whoisServer)
            parse::parseReply(result.reply, *m_whoisServer, record, refusal);
        else
            parse::parseReply(result.reply, record);
        return true;
    }
}

bool LookupWorker::waitForRetry(std::chrono::milliseconds pause)
{
    const auto until = std::chrono::steady_clock::now() + pause;
    if (m_throttledUntil != nullptr)
        m_throttledUntil->store(until.time_since_epoch().count(), std::memory_order_release);
    const bool waited = sleepUntilUnlessStopped(until, m_stop);
    if (m_throttledUntil != nullptr)
        m_throttledUntil->store(0, std::memory_order_release);
    return waited;
}

void lookupThreadMain(std::stop_token stop, std::unique_ptr<WorkerParams> params)
{
    LookupWorker worker(std::move(stop));
    worker.run(*params);
}

} // namespace zonedesk::lookup
