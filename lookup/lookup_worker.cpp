// SPDX-License-Identifier: MIT
// The worker loop: one connection at a time, records of one server in table order.
#include "lookup/lookup_worker.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "core/domain_table.h"
#include "core/field_copy.h"
#include "core/service_choice.h"
#include "core/whois_query_name.h"
#include "core/worker_ended.h"
#include "lookup/exchange_result.h"
#include "lookup/iana_referral.h"
#include "lookup/rdap_exchange.h"
#include "lookup/stoppable_sleep.h"
#include "lookup/whois_exchange.h"
#include "net/url_parts.h"
#include "parse/generic_reply.h"
#include "parse/parse_reply.h"
#include "parse/rdap_reading.h"
#include "parse/reading.h"
#include "parse/service_refusals.h"

namespace zonedesk::lookup {

namespace {

using std::chrono::milliseconds;

/// The two ways a name is asked; each has its own pace.
enum class Protocol : std::uint8_t
{
    Whois, // port 43
    Rdap,
};

constexpr std::size_t ProtocolCount = 2;

constexpr std::size_t indexOf(Protocol protocol)
{
    return static_cast<std::size_t>(protocol);
}

/// One name as a worker asks it: what the exchange and the reader of either protocol need.
struct Query
{
    std::string name;    // the A-label form, as sent
    std::string rdapUrl; // {base}domain/{name}; empty when the registry has no RDAP service
    Endpoint whoisEndpoint;
    std::optional<core::WhoisServer> server; // whose rules read a port-43 reply; none: the generic reader
};

/// How one protocol asks and how its whole replies are read. Either reader gives Error/Throttled
/// exactly for a server's request to slow down (a port-43 refusal; RDAP 429 or a server error),
/// which is what the worker retries.
struct ProtocolRules
{
    ExchangeResult (*ask)(const Query& query, const ExchangeOptions& session, const std::stop_token& stop);
    parse::Reading (*read)(const ExchangeResult& whole, const Query& query);
    core::ResultSource source;
};

ExchangeResult askOverWhois(const Query& query, const ExchangeOptions& session, const std::stop_token& stop)
{
    return exchangeWhois(query.whoisEndpoint, query.name, session, stop);
}

parse::Reading readWhoisReply(const ExchangeResult& whole, const Query& query)
{
    if (!query.server)
        return parse::readGenericReply(whole.reply, query.name);
    return parse::readReply(whole.reply, *query.server, parse::serviceRefusal(whole.reply), query.name);
}

ExchangeResult askOverRdap(const Query& query, const ExchangeOptions& session, const std::stop_token& stop)
{
    return exchangeRdap(query.rdapUrl, session, stop);
}

parse::Reading readRdapAnswer(const ExchangeResult& whole, const Query& query)
{
    return parse::readRdap(whole.httpStatus, whole.reply, query.name, whole.mediaType);
}

// Indexed by Protocol.
constexpr ProtocolRules Rules[ProtocolCount] = {
    {askOverWhois, readWhoisReply, core::ResultSource::Whois},
    {askOverRdap, readRdapAnswer, core::ResultSource::Rdap},
};

/// Whether a protocol's outcome is worth keeping rather than asking over the other one: an
/// answer, or an error of the reply itself. A failed or cut-off exchange, a refused redirect, an
/// empty reply, a refusal and a throttle after the retries are no answer.
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
    case core::ErrorReason::RedirectRefused:
    case core::ErrorReason::Throttled:
    case core::ErrorReason::ServiceGone:
    case core::ErrorReason::NotRdap:
    case core::ErrorReason::NotAnswering: return false;
    default: return true;
    }
}

class LookupWorker
{
public:
    explicit LookupWorker(std::stop_token stop)
        : m_stop(std::move(stop))
    {}

    /// Looks up every record of the worker's server, then reports the worker's end. Worker thread.
    void run(const WorkerParams& params);

private:
    /// The pause before each query of a protocol whose server throttled (see ExchangeOptions).
    struct Pace
    {
        milliseconds pause{0};
        int answersInARow = 0;

        void throttled(const ExchangeOptions& session);
        void answered(const ExchangeOptions& session);
    };

    /// Each record of the worker's server among the first `count`, in table order, until a stop.
    void lookupAll();

    /// Looks record `index` up over its registry's protocols (port 43, RDAP, or one then the
    /// other when the first gives no usable answer) and stores what stands. Settles the record in
    /// every case but a stop, which leaves it untouched.
    void lookUp(std::size_t index);

    /// What is asked for a name and how.
    struct Plan
    {
        Query query;
        std::array<bool, ProtocolCount> allowed{};
        Protocol first = Protocol::Whois;
    };

    /// The plan for a name of the ten registries: their hosts and transports, as always.
    std::optional<Plan> planForTen(core::WhoisServer server, const std::string& name) const;

    /// The plan for any other name: its registrable domain at the services the shipped data (or
    /// IANA's referral) name. Settles the record itself, and gives none, when nothing can be
    /// asked; none too when stopped.
    std::optional<Plan> planForOther(core::DomainRecord& record, const std::string& name);

    /// One name over one protocol: exchanges until an answer, asking a throttling server again
    /// after each of the options' pauses (at least its Retry-After); after the last, the throttle
    /// is the answer. An exchange that failed or ended before the reply was whole is Error with its
    /// reason. `raw` gets the last whole reply. nullopt when stopped.
    std::optional<parse::Reading> ask(Protocol protocol, const Query& query, std::string& raw);

    /// Sleeps `pause` unless a stop comes first, showing when the worker asks again; false when stopped.
    bool waitForRetry(milliseconds pause);

    /// Timeouts in a row of one host over one protocol (see ExchangeOptions::silentAfter).
    struct Silence
    {
        int timeoutsInARow = 0;
        bool probed = false; // the one probe after the host fell silent has been asked
    };

    /// The host a query of `protocol` goes to, with its port and the protocol.
    static std::string hostKey(Protocol protocol, const Query& query);

    std::stop_token m_stop;
    core::DomainTable* m_table = nullptr;
    std::int32_t m_count = 0;
    std::string m_server;
    Endpoint m_endpoint;
    const EndpointOverrides* m_rdapBases = nullptr; // RDAP bases by suffix, overrides included
    ExchangeOptions m_session;
    std::array<Pace, ProtocolCount> m_paces;
    std::atomic<std::int64_t>* m_throttledUntil = nullptr;
    std::vector<std::string>* m_rawReplies = nullptr;
    const core::ServiceData* m_services = nullptr;
    std::filesystem::path m_referralCache;
    /// The host's port 43 refused while its RDAP answered: RDAP first for the rest of the run.
    bool m_rdapFirst = false;
    std::map<std::string, Silence> m_silences; // by hostKey
};

void LookupWorker::run(const WorkerParams& params)
{
    const auto report = [&params](bool queried) {
        if (params.ended != nullptr)
            params.ended->store(true, std::memory_order_release);
        params.target->post(core::WorkerEnded{.queried = queried});
    };
    if (!params.options.usable()) {
        report(false);
        return;
    }
    m_table = params.table;
    m_count = params.count;
    m_server = params.server;
    m_endpoint = params.endpoints != nullptr ? params.endpoints->endpointFor(m_server) : Endpoint{m_server};
    m_rdapBases = params.endpoints;
    m_session = params.options;
    m_throttledUntil = params.throttledUntil;
    m_rawReplies = params.rawReplies;
    m_services = params.services != nullptr ? params.services : &core::defaultServiceData();
    m_referralCache = params.referralCache;
    lookupAll();
    report(true);
}

void LookupWorker::lookupAll()
{
    for (std::int32_t i = 0; i < m_count && !m_stop.stop_requested(); ++i) {
        const auto index = static_cast<std::size_t>(i);
        const core::DomainRecord& record = (*m_table)[index];
        // A record already settled (by an earlier start, or restored from the history) is shown as
        // it is: asking again would write it under its readers.
        if (core::fieldText(record.server) == m_server && !core::isDone(record))
            lookUp(index);
    }
}

std::optional<LookupWorker::Plan> LookupWorker::planForTen(core::WhoisServer server,
                                                           const std::string& name) const
{
    const std::string rdapBase =
        m_rdapBases != nullptr ? m_rdapBases->rdapBaseFor(name) : std::string(core::rdapBaseFor(name));
    Plan plan{{name, rdapBase.empty() ? std::string() : rdapBase + "domain/" + name, m_endpoint, server}};
    const core::Transport transport = core::transportOf(server);
    plan.allowed[indexOf(Protocol::Whois)] = transport != core::Transport::Rdap || rdapBase.empty();
    plan.allowed[indexOf(Protocol::Rdap)] = transport != core::Transport::Whois && !rdapBase.empty();
    const bool rdapFirst = plan.allowed[indexOf(Protocol::Rdap)] &&
                           (transport == core::Transport::Rdap || m_session.preferRdap || m_rdapFirst);
    plan.first = rdapFirst ? Protocol::Rdap : Protocol::Whois;
    return plan;
}

std::optional<LookupWorker::Plan> LookupWorker::planForOther(core::DomainRecord& record,
                                                             const std::string& name)
{
    const core::ServiceChoice choice = core::chooseService(name, *m_services);
    std::string whoisHost = choice.whoisHost;
    switch (choice.why) {
    case core::ChoiceReason::Bootstrap:
    case core::ChoiceReason::Table: break;
    case core::ChoiceReason::Referral: {
        const Referral referral = ianaReferral(choice.tld,
                                               m_referralCache,
                                               m_rdapBases != nullptr ? *m_rdapBases : EndpointOverrides(),
                                               m_session,
                                               std::chrono::system_clock::now(),
                                               m_stop);
        if (referral.stopped)
            return std::nullopt;
        if (!referral.answered) {
            // IANA could not be asked (its reason), or the TLD is no label to ask about.
            parse::settleAsError(record,
                                 referral.reason != core::ErrorReason::None ? referral.reason
                                                                            : core::ErrorReason::BadName);
            return std::nullopt;
        }
        if (referral.host.empty()) {
            parse::Reading(core::LookupStatus::NoServer, core::ErrorReason::NoService).storeInto(record);
            return std::nullopt;
        }
        whoisHost = referral.host;
        break;
    }
    case core::ChoiceReason::TenRegistries:
    case core::ChoiceReason::PublicSuffix:
    case core::ChoiceReason::NotADomain:
        parse::settleAsError(record, core::ErrorReason::BadName);
        return std::nullopt;
    }
    const std::string& asked = choice.registrable;
    const std::string overridden =
        m_rdapBases != nullptr ? m_rdapBases->rdapOverrideFor(asked) : std::string();
    const std::string rdapBase = overridden.empty() ? choice.rdapBase : overridden;
    const Endpoint endpoint =
        m_rdapBases != nullptr ? m_rdapBases->endpointFor(whoisHost) : Endpoint{whoisHost};
    // A host of the ten registries answers in its registry's layout whatever led a name to it (a
    // .net.jp name comes to JPRS by the shipped data): that registry's rules read it, as
    // `parse --server HOST` reads the same reply.
    Plan plan{{asked,
               rdapBase.empty() ? std::string() : rdapBase + "domain/" + asked,
               endpoint,
               core::serverForHost(whoisHost)}};
    plan.allowed[indexOf(Protocol::Whois)] = !whoisHost.empty();
    plan.allowed[indexOf(Protocol::Rdap)] = !rdapBase.empty();
    const bool rdapFirst = plan.allowed[indexOf(Protocol::Rdap)] &&
                           (choice.first == core::Service::Rdap || !plan.allowed[indexOf(Protocol::Whois)] ||
                            m_session.preferRdap || m_rdapFirst);
    plan.first = rdapFirst ? Protocol::Rdap : Protocol::Whois;
    return plan;
}

void LookupWorker::lookUp(std::size_t index)
{
    core::DomainRecord& record = (*m_table)[index];
    const auto name = core::whoisQueryName(core::fieldText(record.domain));
    if (!name) {
        parse::settleAsError(record, core::ErrorReason::BadName);
        return;
    }
    // The ten registries keep their own rules; every other name goes by the shipped data.
    const core::SuffixDecision ten = core::serverRuleFor(core::fieldText(record.domain));
    const std::optional<Plan> plan =
        ten.server ? planForTen(*ten.server, *name) : planForOther(record, *name);
    if (!plan)
        return; // settled without a question, or stopped
    const Protocol first = plan->first;
    const Protocol second = first == Protocol::Rdap ? Protocol::Whois : Protocol::Rdap;

    // When neither protocol answers, the first one's failure is the one to report.
    std::optional<parse::Reading> kept;
    std::string keptRaw;
    for (const Protocol protocol : {first, second}) {
        if (!plan->allowed[indexOf(protocol)])
            continue;
        std::string raw;
        auto reading = ask(protocol, plan->query, raw);
        if (!reading)
            return; // stopped: the record stays as it was
        if (usable(*reading) || !kept) {
            kept = std::move(reading);
            keptRaw = std::move(raw);
        }
        if (usable(*kept)) {
            // A port 43 that refuses while RDAP answers is asked no more first: each name would
            // pay its paced retries before the answer that comes at once.
            if (protocol == Protocol::Rdap && protocol != first)
                m_rdapFirst = true;
            break;
        }
    }
    if (!kept)
        return;
    if (m_rawReplies != nullptr && index < m_rawReplies->size())
        (*m_rawReplies)[index] = std::move(keptRaw); // before `done`, which storeInto publishes
    kept->storeInto(record);
}

std::optional<parse::Reading> LookupWorker::ask(Protocol protocol, const Query& query, std::string& raw)
{
    const ProtocolRules& rules = Rules[indexOf(protocol)];
    Pace& pace = m_paces[indexOf(protocol)];
    Silence& silence = m_silences[hostKey(protocol, query)];
    milliseconds wait{0};
    if (m_session.silentAfter > 0 && silence.timeoutsInARow >= m_session.silentAfter) {
        if (silence.probed) {
            parse::Reading silent(core::LookupStatus::Error, core::ErrorReason::NotAnswering);
            silent.setSource(rules.source);
            return silent;
        }
        silence.probed = true;
        // A wait of its own: the host is silent, not throttling, and is not shown as that.
        if (!sleepUntilUnlessStopped(std::chrono::steady_clock::now() + m_session.silentProbePause, m_stop))
            return std::nullopt;
    }
    for (std::size_t retry = 0;; ++retry) {
        if (!waitForRetry(std::max(wait, pace.pause)))
            return std::nullopt;
        const ExchangeResult result = rules.ask(query, m_session, m_stop);
        if (result.outcome == ExchangeOutcome::Stopped)
            return std::nullopt;
        silence.timeoutsInARow =
            result.reason == core::ErrorReason::TimedOut ? silence.timeoutsInARow + 1 : 0;
        // Part of a reply may look like a whole one (a record without its dates, a phrase cut
        // short): only a whole reply is read. Without one the server neither answered nor
        // throttled, so the pace stays as it is.
        if (result.outcome == ExchangeOutcome::Failed || result.reason != core::ErrorReason::None) {
            parse::Reading failed(core::LookupStatus::Error, result.reason);
            failed.setSource(rules.source);
            return failed;
        }
        raw = result.reply;
        parse::Reading reading = rules.read(result, query);
        reading.setSource(rules.source);
        if (reading.reason() == core::ErrorReason::Throttled) {
            pace.throttled(m_session);
            if (retry < m_session.throttleRetryPauses.size()) {
                // A server's Retry-After (seconds or a date) is honoured up to the pacing maximum:
                // one asking for a day is refusing, and the name ends throttled after its retries.
                wait = std::min<milliseconds>(
                    std::max<milliseconds>(m_session.throttleRetryPauses[retry], result.retryAfter),
                    std::max(m_session.paceMax, m_session.throttleRetryPauses[retry]));
                continue;
            }
        } else {
            pace.answered(m_session);
        }
        return reading;
    }
}

void LookupWorker::Pace::throttled(const ExchangeOptions& session)
{
    pause = pause.count() == 0 ? session.paceStart : std::min(pause * 2, session.paceMax);
    answersInARow = 0;
}

void LookupWorker::Pace::answered(const ExchangeOptions& session)
{
    if (pause.count() == 0 || ++answersInARow < session.paceEaseAfter)
        return;
    answersInARow = 0;
    pause = pause * 3 / 4;
    if (pause < session.paceStart)
        pause = milliseconds(0);
}

std::string LookupWorker::hostKey(Protocol protocol, const Query& query)
{
    if (protocol == Protocol::Whois)
        return "whois " + query.whoisEndpoint.address + ":" + std::to_string(query.whoisEndpoint.port);
    // One RDAP server is its scheme, host and port; a URL libcurl can't read is its own key.
    std::string why;
    const std::optional<net::UrlParts> parts = net::urlParts(query.rdapUrl, why);
    if (!parts)
        return "rdap " + query.rdapUrl;
    return "rdap " + parts->scheme + "://" + parts->host + ":" + parts->port;
}

bool LookupWorker::waitForRetry(milliseconds pause)
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

} // namespace

void lookupThreadMain(std::stop_token stop, std::unique_ptr<WorkerParams> params)
{
    LookupWorker worker(std::move(stop));
    worker.run(*params);
}

} // namespace zonedesk::lookup
