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
#include "lookup/rdap_exchange.h"
#include "lookup/stoppable_sleep.h"
#include "lookup/whois_exchange.h"
#include "parse/parse_reply.h"
#include "parse/rdap_reading.h"
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
    m_rdapBases = params.endpoints;
    m_throttledUntil = params.throttledUntil;
    m_rawReplies = params.rawReplies;
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
            lookUp(index);
    }
}

namespace {

/// Whether a transport's outcome is worth keeping rather than asking the other transport: an
/// answer, or an error of the reply itself. A failed or cut-off exchange, an empty reply, a
/// refusal and a throttle after the retries are no answer.
bool usable(const parse::Reading& reading)
{
    if (reading.status() != core::LookupStatus::Error)
        return true;
    switch (reading.reason()) {
    case core::ErrorReason::HostNotFound:
    case core::ErrorReason::ConnectFailed:
    case core::ErrorReason::SendFailed:
    case core::ErrorReason::EmptyReply:
    case core::ErrorReason::TimedOut:
    case core::ErrorReason::Reset:
    case core::ErrorReason::Throttled:
    case core::ErrorReason::ServiceGone: return false;
    default: return true;
    }
}

} // namespace

void LookupWorker::lookUp(std::size_t index)
{
    core::DomainRecord& record = (*m_table)[index];
    if (!m_whoisServer) {
        // No registry's rules would read the answer: settled without a query, as it was.
        record.errorReason = 0;
        core::publishDone(record);
        return;
    }
    const auto query = core::whoisQueryName(core::fieldText(record.domain));
    if (!query || !m_internet) {
        parse::settleAsError(record, query ? core::ErrorReason::ConnectFailed : core::ErrorReason::BadName);
        return;
    }
    const std::string rdapBase =
        m_rdapBases != nullptr ? m_rdapBases->rdapBaseFor(*query) : std::string(core::rdapBaseFor(*query));
    const core::Transport transport = core::transportOf(*m_whoisServer);
    const bool whoisAllowed = transport != core::Transport::Rdap || rdapBase.empty();
    const bool rdapAllowed = transport != core::Transport::Whois && !rdapBase.empty();
    const bool rdapFirst = rdapAllowed && (transport == core::Transport::Rdap || m_internet->preferRdap);

    // When neither transport answers, the first one's failure is the one to report.
    std::optional<parse::Reading> kept;
    std::string keptRaw;
    for (const bool overRdap : {rdapFirst, !rdapFirst}) {
        if (overRdap ? !rdapAllowed : !whoisAllowed)
            continue;
        std::string raw;
        auto reading = overRdap ? askRdap(rdapBase, *query, raw) : askWhois(*query, raw);
        if (!reading)
            return; // stopped: the record stays as it was
        if (usable(*reading) || !kept) {
            kept = std::move(reading);
            keptRaw = std::move(raw);
        }
        if (usable(*kept))
            break;
    }
    if (!kept)
        return;
    if (m_rawReplies != nullptr && index < m_rawReplies->size())
        (*m_rawReplies)[index] = std::move(keptRaw); // before `done`, which storeInto publishes
    kept->storeInto(record);
}

std::optional<parse::Reading> LookupWorker::askWhois(const std::string& query, std::string& raw)
{
    Pace& pace = m_paces[0];
    std::chrono::milliseconds wait{0};
    for (std::size_t retry = 0;; ++retry) {
        if (!waitForRetry(std::max(wait, pace.pause)))
            return std::nullopt;
        const ExchangeResult result = exchangeWhois(m_endpoint, query, *m_internet, m_stop);
        if (result.outcome == ExchangeOutcome::Stopped)
            return std::nullopt;
        // Part of a reply may look like a whole one (a record without its dates, a phrase cut
        // short): only a reply the server finished is read.
        if (result.outcome == ExchangeOutcome::Failed || result.reason != core::ErrorReason::None)
            return parse::Reading(core::LookupStatus::Error, result.reason);
        raw = result.reply;
        const parse::Refusal refusal = parse::serviceRefusal(result.reply);
        if (refusal == parse::Refusal::Throttled) {
            pace.throttled(*m_internet);
            if (retry < m_internet->throttleRetryPauses.size()) {
                wait = m_internet->throttleRetryPauses[retry];
                continue;
            }
        } else {
            pace.answered(*m_internet);
        }
        return parse::readReply(result.reply, *m_whoisServer, refusal); // a refusal after the retries: Error
    }
}

std::optional<parse::Reading>
LookupWorker::askRdap(const std::string& base, const std::string& query, std::string& raw)
{
    Pace& pace = m_paces[1];
    const std::string url = base + "domain/" + query;
    std::chrono::milliseconds wait{0};
    for (std::size_t retry = 0;; ++retry) {
        if (!waitForRetry(std::max(wait, pace.pause)))
            return std::nullopt;
        const RdapResult result = exchangeRdap(url, *m_internet, m_stop);
        if (result.outcome == ExchangeOutcome::Stopped)
            return std::nullopt;
        parse::Reading reading = result.reason != core::ErrorReason::None
                                     ? parse::Reading(core::LookupStatus::Error, result.reason)
                                     : parse::readRdap(result.httpStatus, result.body, query);
        reading.setSource(core::ResultSource::Rdap);
        raw = result.body;
        if (result.reason == core::ErrorReason::None && parse::isRdapThrottle(result.httpStatus)) {
            pace.throttled(*m_internet);
            if (retry < m_internet->throttleRetryPauses.size()) {
                wait = std::max<std::chrono::milliseconds>(m_internet->throttleRetryPauses[retry],
                                                           result.retryAfter);
                continue;
            }
        } else {
            pace.answered(*m_internet);
        }
        return reading;
    }
}

void LookupWorker::Pace::throttled(const InternetSession& session)
{
    pause = pause.count() == 0 ? session.paceStart : std::min(pause * 2, session.paceMax);
    answersInARow = 0;
}

void LookupWorker::Pace::answered(const InternetSession& session)
{
    if (pause.count() == 0 || ++answersInARow < session.paceEaseAfter)
        return;
    answersInARow = 0;
    pause = pause * 3 / 4;
    if (pause < session.paceStart)
        pause = std::chrono::milliseconds(0);
}

bool LookupWorker::waitForRetry(std::chrono::milliseconds pause)
{
    if (pause.count() <= 0)
        return !m_stop.stop_requested();
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
