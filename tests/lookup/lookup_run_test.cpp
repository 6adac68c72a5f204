// SPDX-License-Identifier: MIT
// Runs of workers over a table, against loopback servers standing in for the registries.
#include "lookup/lookup_run.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "core/domain_table.h"
#include "core/encodings.h"
#include "core/error_reason.h"
#include "core/field_copy.h"
#include "core/lookup_status.h"
#include "core/whois_servers.h"
#include "core/worker_ended.h"
#include "lookup/lookup_worker.h"
#include "lookup/worker_end_queue.h"
#include "parse/parse_reply.h"
#include "tests/support/loopback_whois_server.h"
#include "tests/support/shared_corpus.h"

namespace zonedesk::lookup {
namespace {

using namespace zonedesk::core;

using namespace std::chrono_literals;
using test::Behaviour;
using test::httpResponse;
using test::LoopbackWhoisServer;
using test::rdapRequest;

class LookupRunTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        table = DomainTable::allocate();
        ASSERT_NE(table, nullptr);
        session.connectTimeout = 500ms;
        session.connectBackoff = 10ms;
        session.readTimeout = 2s;
        session.exchangeLimit = 10s;
        session.paceStart = 10ms;
        session.paceMax = 80ms;
        ASSERT_TRUE(endpoints.addRdapList(test::rdapNowhere()));
    }

    void add(std::string_view domain)
    {
        DomainRecord& record = (*table)[static_cast<std::size_t>(table->count())];
        copyField(record.domain, domain);
        table->setCount(table->count() + 1);
    }

    void route(WhoisServer server, const LoopbackWhoisServer& to)
    {
        ASSERT_TRUE(endpoints.add(std::string(hostName(server)) + "=" + to.address()));
    }

    /// Tests never reach a registry: every server of the table must be routed to loopback, over
    /// port 43 and over RDAP.
    bool everyServerIsRouted() const
    {
        for (const DomainRecord& record : table->inUse()) {
            const std::string_view host = fieldText(record.server);
            if (!host.empty() && endpoints.endpointFor(host).address != "127.0.0.1")
                return false;
            const std::string rdap = endpoints.rdapBaseFor(fieldText(record.domain));
            if (!rdap.empty() && !rdap.starts_with("http://127.0.0.1:"))
                return false;
        }
        return true;
    }

    /// Starts a run and handles the workers' ends until the last worker has reported.
    LookupRun::StartResult runToEnd(LookupRun& run)
    {
        assignWhoisServers(*table);
        EXPECT_TRUE(everyServerIsRouted());
        if (!everyServerIsRouted())
            return LookupRun::StartResult::NoDomains;
        run.setExchangeOptions(session);
        run.setEndpoints(endpoints);
        const auto result = run.startLookups();
        if (result != LookupRun::StartResult::Running)
            return result;
        const auto giveUp = std::chrono::steady_clock::now() + 60s;
        EXPECT_TRUE(run.waitForEnd(queue, 100ms, [&] { return std::chrono::steady_clock::now() > giveUp; }));
        return result;
    }

    std::int32_t status(std::size_t i) const { return (*table)[i].status; }

    std::unique_ptr<DomainTable> table;
    ExchangeOptions session;
    EndpointOverrides endpoints;
    WorkerEndQueue queue;
};

TEST_F(LookupRunTest, ScanHandsOutEachServerOnceAndSettlesRecordsWithoutOne)
{
    add("first.sg");
    add("a.com");
    add("b.org");
    add("c.com");
    assignWhoisServers(*table);
    EXPECT_EQ(nextServerToStart(*table), "whois.verisign-grs.com");
    EXPECT_TRUE(isDone((*table)[0])); // no server: settled by the first scan
    EXPECT_EQ((*table)[0].claimed, 1);
    EXPECT_EQ((*table)[3].claimed, 1);
    EXPECT_EQ((*table)[2].claimed, 0);
    EXPECT_EQ(nextServerToStart(*table), "whois.publicinterestregistry.org");
    EXPECT_EQ(nextServerToStart(*table), "");
    EXPECT_FALSE(isDone((*table)[1])); // workers settle these
}

TEST_F(LookupRunTest, OneWorkerPerServerOneConnectionAtATimeInTableOrder)
{
    LoopbackWhoisServer com;
    LoopbackWhoisServer org;
    com.setDefault(
        Behaviour::answer("for detailed information\n   Registrar: R\n   Whois Server: w\nNOTICE: n", 10ms));
    org.setDefault(Behaviour::answer("NOT FOUND\n", 10ms));
    route(WhoisServer::Verisign, com);
    route(WhoisServer::Pir, org);
    for (int i = 0; i < 10; ++i)
        add("d" + std::to_string(i) + ".com");
    add("free.org");

    LookupRun run(*table, queue);
    EXPECT_EQ(runToEnd(run), LookupRun::StartResult::Running);
    EXPECT_EQ(run.runningWorkers(), 0);
    EXPECT_EQ(com.maxConcurrentConnections(), 1);
    EXPECT_EQ(org.connectionCount(), 1);
    const auto requests = com.requests();
    ASSERT_EQ(requests.size(), 10U);
    for (std::size_t i = 0; i < requests.size(); ++i)
        EXPECT_EQ(requests[i], "d" + std::to_string(i) + ".com\r\n");
    for (std::size_t i = 0; i < 10; ++i) {
        EXPECT_TRUE(isDone((*table)[i]));
        EXPECT_EQ(status(i), static_cast<std::int32_t>(LookupStatus::Success));
        EXPECT_EQ(fieldText((*table)[i].registrar), "R");
    }
    EXPECT_EQ(status(10), static_cast<std::int32_t>(LookupStatus::NotRegistered));
}

TEST_F(LookupRunTest, NoMoreWorkersRunAtOnceThanTheCapAndEveryServerHasItsTurn)
{
    // Counts the workers alive: one more at its thread's start, one fewer at its end's report (its
    // last act, which the run answers by starting the next server's worker).
    struct CountingTarget final : WorkerEndTarget
    {
        WorkerEndQueue& queue;
        std::atomic<int>& alive;

        CountingTarget(WorkerEndQueue& to, std::atomic<int>& count)
            : queue(to)
            , alive(count)
        {}

        void post(core::WorkerEnded ended) override
        {
            --alive;
            queue.post(ended);
        }
    };

    std::atomic<int> alive{0};
    std::atomic<int> most{0};
    CountingTarget target(queue, alive);
    std::vector<std::unique_ptr<LoopbackWhoisServer>> servers;
    const std::pair<WhoisServer, const char*> names[] = {
        {WhoisServer::Verisign, "a.com"},
        {WhoisServer::Pir, "b.org"},
        {WhoisServer::Cnnic, "c.cn"},
        {WhoisServer::BizRegistry, "d.biz"},
        {WhoisServer::Jprs, "e.jp"},
    };
    for (const auto& [server, name] : names) {
        servers.push_back(std::make_unique<LoopbackWhoisServer>());
        servers.back()->setDefault(Behaviour::answer("NOT FOUND\n", 30ms));
        route(server, *servers.back());
        add(name);
    }
    LookupRun run(*table, target, [&](std::unique_ptr<WorkerParams> params) {
        const int now = ++alive;
        for (int seen = most.load(); seen < now && !most.compare_exchange_weak(seen, now);) {
        }
        return startWorkerThread(std::move(params));
    });
    run.setMaxWorkers(2);
    EXPECT_EQ(runToEnd(run), LookupRun::StartResult::Running);
    EXPECT_EQ(most.load(), 2);
    EXPECT_FALSE(run.startFailed());
    for (std::size_t i = 0; i < servers.size(); ++i) {
        EXPECT_TRUE(isDone((*table)[i])) << i;
        EXPECT_EQ(servers[i]->connectionCount(), 1) << i;
    }
}

TEST_F(LookupRunTest, SecondRunQueriesNothing)
{
    LoopbackWhoisServer com;
    route(WhoisServer::Verisign, com);
    add("a.com");
    LookupRun run(*table, queue);
    EXPECT_EQ(runToEnd(run), LookupRun::StartResult::Running);
    EXPECT_EQ(run.startLookups(), LookupRun::StartResult::NothingToQuery);
    EXPECT_EQ(com.connectionCount(), 1);
}

TEST_F(LookupRunTest, TableWithoutServersSettlesEverythingWithoutWorkers)
{
    add("a.sg");
    add("b.mobi");
    LookupRun run(*table, queue);
    EXPECT_EQ(runToEnd(run), LookupRun::StartResult::NothingToQuery);
    EXPECT_TRUE(isDone((*table)[0]));
    EXPECT_TRUE(isDone((*table)[1]));
    EXPECT_EQ(status(1), static_cast<std::int32_t>(LookupStatus::NoServer));

    const auto empty = DomainTable::allocate();
    LookupRun none(*empty, queue);
    EXPECT_EQ(none.startLookups(), LookupRun::StartResult::NoDomains);
}

TEST_F(LookupRunTest, FailedExchangesGiveErrorAndTheWorkerGoesOn)
{
    ASSERT_TRUE(
        endpoints.add("whois.nic.tv=127.0.0.1:" + std::to_string(LoopbackWhoisServer::refusedPort())));
    LoopbackWhoisServer cc;
    cc.on("closed.cc", Behaviour::closeAtOnce());
    route(WhoisServer::NicCc, cc);
    add("refused.tv");
    add("next.tv");
    add("closed.cc");
    add("\xA1\xEE.cc"); // no A-label form: an error without a query
    LookupRun run(*table, queue);
    EXPECT_EQ(runToEnd(run), LookupRun::StartResult::Running);
    const ErrorReason reasons[] = {ErrorReason::ConnectFailed,
                                   ErrorReason::ConnectFailed,
                                   ErrorReason::EmptyReply,
                                   ErrorReason::BadName};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_TRUE(isDone((*table)[i])) << i;
        EXPECT_EQ(status(i), static_cast<std::int32_t>(LookupStatus::Error)) << i;
        EXPECT_EQ((*table)[i].errorReason, static_cast<std::uint8_t>(reasons[i])) << i;
    }
    EXPECT_EQ(cc.connectionCount(), 1);
}

TEST_F(LookupRunTest, NonAsciiDomainIsQueriedAsItsALabel)
{
    LoopbackWhoisServer cn;
    route(WhoisServer::Cnnic, cn);
    add("\xD6\xD0\xCE\xC4.cn");
    LookupRun run(*table, queue);
    runToEnd(run);
    ASSERT_EQ(cn.requests().size(), 1U);
    EXPECT_EQ(cn.requests()[0], "xn--fiq228c.cn\r\n");
    EXPECT_EQ(fieldText((*table)[0].domain), "\xD6\xD0\xCE\xC4.cn"); // the record keeps the name
}

TEST_F(LookupRunTest, WorkerWhoseSessionCannotOpenReportsMinusOne)
{
    session.connectTimeout = 0ms; // options no exchange can use: nothing is queried
    add("a.com");
    LookupRun run(*table, queue);
    assignWhoisServers(*table);
    run.setExchangeOptions(session);
    ASSERT_EQ(run.startLookups(), LookupRun::StartResult::Running);
    const auto ended = queue.take(10s);
    ASSERT_TRUE(ended);
    EXPECT_FALSE(ended->queried);
    EXPECT_TRUE(run.workerDone());
    EXPECT_FALSE(isDone((*table)[0]));
}

TEST_F(LookupRunTest, StopEndsASilentExchangeAndLeavesItsRecords)
{
    LoopbackWhoisServer com;
    com.setDefault(Behaviour::silent());
    route(WhoisServer::Verisign, com);
    session.readTimeout = 60s;
    add("a.com");
    add("b.com");
    assignWhoisServers(*table);
    ASSERT_TRUE(everyServerIsRouted());
    LookupRun run(*table, queue);
    run.setExchangeOptions(session);
    run.setEndpoints(endpoints);
    ASSERT_EQ(run.startLookups(), LookupRun::StartResult::Running);
    while (com.connectionCount() == 0)
        std::this_thread::sleep_for(10ms);
    const auto asked = std::chrono::steady_clock::now();
    run.requestStop();
    run.join();
    EXPECT_LT(std::chrono::steady_clock::now() - asked, 2s);
    EXPECT_FALSE(isDone((*table)[0]));
    EXPECT_FALSE(isDone((*table)[1]));
    EXPECT_EQ(com.connectionCount(), 1);
}

TEST_F(LookupRunTest, EveryReplyOfTheTenReadsInALookupAsParseReadsIt)
{
    const auto replies = test::corpusReplies();
    if (replies.empty())
        GTEST_SKIP() << "shared WHOIS replies not found";
    session.throttleRetryPauses = {1ms};
    int compared = 0;
    for (const test::CorpusReply& reply : replies) {
        const auto server = core::serverRuleFor(reply.domain).server;
        // Over port 43, where the reply goes: a registry asked over RDAP reads another answer.
        if (reply.domain.empty() || !server || core::hostName(*server) != test::hostForSuffix(reply.suffix) ||
            core::transportOf(*server) == core::Transport::Rdap)
            continue;
        SCOPED_TRACE(reply.file);
        const std::string bytes = test::corpusBytes(reply);
        table = DomainTable::allocate();
        endpoints = EndpointOverrides();
        ASSERT_TRUE(endpoints.addRdapList(test::rdapNowhere()));
        LoopbackWhoisServer whois;
        whois.setDefault(Behaviour::answer(bytes));
        route(*server, whois);
        add(reply.domain);
        LookupRun run(*table, queue);
        runToEnd(run);

        DomainRecord parsed{};
        copyField(parsed.server, hostName(*server));
        parse::parseReply(bytes, parsed, reply.domain);
        const DomainRecord& looked = (*table)[0];
        EXPECT_EQ(looked.status, parsed.status);
        EXPECT_EQ(errorReasonOf(looked), errorReasonOf(parsed));
        for (const ResultField& field : ResultFields)
            EXPECT_EQ(field.record.text(looked), field.record.text(parsed)) << field.key;
        ++compared;
    }
    EXPECT_GT(compared, 40);
}

TEST_F(LookupRunTest, ASilentHostCostsAFewTimeoutsAndOneProbeNotOneEach)
{
    // The fourth name is the probe after the pause; when it answers, the host is back.
    for (const bool probeAnswers : {false, true}) {
        SCOPED_TRACE(probeAnswers ? "the probe answers" : "the probe times out");
        table = DomainTable::allocate();
        LoopbackWhoisServer com;
        com.setDefault(Behaviour::silent());
        if (probeAnswers) {
            for (const char* name : {"d.com", "e.com", "f.com"})
                com.on(name, Behaviour::answer("No match for \"" + std::string(name) + "\".\r\n"));
        }
        LoopbackWhoisServer org;
        org.setDefault(Behaviour::answer("NOT FOUND\n"));
        endpoints = EndpointOverrides();
        ASSERT_TRUE(endpoints.addRdapList(test::rdapNowhere()));
        route(WhoisServer::Verisign, com);
        route(WhoisServer::Pir, org);
        session.readTimeout = 200ms;
        session.silentProbePause = 50ms;
        for (const char* name : {"a.com", "b.com", "c.com", "d.com", "e.com", "f.com", "x.org"})
            add(name);
        LookupRun run(*table, queue);
        runToEnd(run);
        for (std::size_t i = 0; i < 6; ++i) {
            const auto reason = i < 4 ? (i == 3 && probeAnswers ? ErrorReason::None : ErrorReason::TimedOut)
                                      : (probeAnswers ? ErrorReason::None : ErrorReason::NotAnswering);
            EXPECT_EQ((*table)[i].errorReason, static_cast<std::uint8_t>(reason)) << i;
        }
        EXPECT_EQ(com.connectionCount(), probeAnswers ? 6 : 4);
        EXPECT_EQ(status(6),
                  static_cast<std::int32_t>(LookupStatus::NotRegistered)); // the other host went on
    }
}

TEST_F(LookupRunTest, WindingDownEndsTheRunWithItsReportsAndTheNextStartResumes)
{
    // One worker at a time: the first server's exchange hangs; the second server's waits its turn.
    LoopbackWhoisServer com;
    com.setDefault(Behaviour::silent());
    LoopbackWhoisServer org;
    route(WhoisServer::Verisign, com);
    route(WhoisServer::Pir, org);
    session.readTimeout = 60s;
    add("a.com");
    add("b.com");
    add("c.org");
    assignWhoisServers(*table);
    ASSERT_TRUE(everyServerIsRouted());
    LookupRun run(*table, queue);
    run.setMaxWorkers(1);
    run.setExchangeOptions(session);
    run.setEndpoints(endpoints);
    ASSERT_EQ(run.startLookups(), LookupRun::StartResult::Running);
    while (com.connectionCount() == 0)
        std::this_thread::sleep_for(10ms);
    run.windDown();
    EXPECT_TRUE(run.windingDown());
    const auto giveUp = std::chrono::steady_clock::now() + 30s;
    EXPECT_TRUE(run.waitForEnd(queue, 50ms, [&] { return std::chrono::steady_clock::now() > giveUp; }));
    EXPECT_EQ(org.connectionCount(), 0); // no further server's worker started
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_FALSE(isDone((*table)[i])) << i;
        EXPECT_EQ((*table)[i].claimed, 0) << i;
    }

    com.setDefault(Behaviour::answer("No match for \"A.COM\".\r\n"));
    EXPECT_EQ(runToEnd(run), LookupRun::StartResult::Running);
    EXPECT_FALSE(run.windingDown());
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_TRUE(isDone((*table)[i])) << i;
    EXPECT_EQ(org.connectionCount(), 1);
}

TEST_F(LookupRunTest, ThrottledQueriesAreAskedAgainAfterGrowingPauses)
{
    const auto throttled = Behaviour::answer("WHOIS LIMIT EXCEEDED - SEE WWW.PIR.ORG/WHOIS FOR DETAILS\n");
    LoopbackWhoisServer org;
    org.onSequence("twice.org", {throttled, throttled, Behaviour::answer("NOT FOUND\n")});
    org.onSequence("always.org", {throttled});
    route(WhoisServer::Pir, org);
    session.throttleRetryPauses = {10ms, 20ms, 40ms, 80ms};
    add("twice.org");
    add("always.org");
    LookupRun run(*table, queue);
    runToEnd(run);
    EXPECT_EQ(status(0), static_cast<std::int32_t>(LookupStatus::NotRegistered));
    EXPECT_EQ(status(1), static_cast<std::int32_t>(LookupStatus::Error)); // after the fourth retry
    EXPECT_EQ((*table)[1].errorReason, static_cast<std::uint8_t>(ErrorReason::Throttled));
    EXPECT_EQ(org.connectionCount(), 3 + 5);
    EXPECT_EQ(org.maxConcurrentConnections(), 1);
}

TEST_F(LookupRunTest, RetiredServiceIsNotAskedAgain)
{
    LoopbackWhoisServer tv;
    tv.setDefault(Behaviour::answer("TLD is not supported.\n"));
    route(WhoisServer::VerisignTv, tv);
    add("gone.tv"); // its RDAP service is out of reach too: the port-43 reason is the one kept
    LookupRun run(*table, queue);
    runToEnd(run);
    EXPECT_EQ(status(0), static_cast<std::int32_t>(LookupStatus::Error));
    EXPECT_EQ((*table)[0].errorReason, static_cast<std::uint8_t>(ErrorReason::ServiceGone));
    EXPECT_EQ(tv.connectionCount(), 1);
}

// An RDAP domain object as the registries publish it since the 2024 registration-data policy.
constexpr std::string_view RdapRecord = R"({"objectClassName":"domain","ldhName":"EXAMPLE.INFO",
  "events":[{"eventAction":"registration","eventDate":"2001-07-31T23:57:50Z"},
            {"eventAction":"expiration","eventDate":"2030-07-31T23:57:50Z"},
            {"eventAction":"last changed","eventDate":"2025-03-05T22:39:19Z"}],
  "entities":[{"objectClassName":"entity","roles":["registrar"],
               "vcardArray":["vcard",[["version",{},"text","4.0"],["fn",{},"text","Example Registrar, Inc."]]]},
              {"objectClassName":"entity","roles":["registrant"],
               "remarks":[{"title":"REDACTED FOR PRIVACY","type":"object redacted due to authorization"}],
               "vcardArray":["vcard",[["version",{},"text","4.0"],["org",{},"text","Example Holdings"],
                                      ["contact-uri",{},"uri","https://registrar.example/contact"]]]}],
  "redacted":[{"name":{"description":"Registrant Email"},"method":"removal"}]})";

TEST_F(LookupRunTest, RdapOnlyRegistryIsNeverAskedOnPort43)
{
    LoopbackWhoisServer whois;
    route(WhoisServer::Afilias, whois);
    LoopbackWhoisServer rdap;
    rdap.speakHttp();
    rdap.on(rdapRequest("example.info"), Behaviour::answer(httpResponse(200, RdapRecord)));
    rdap.on(rdapRequest("free.info"), Behaviour::answer(httpResponse(404, "")));
    ASSERT_TRUE(endpoints.addRdap("info=" + rdap.httpBase()));
    add("example.info");
    add("free.info");
    LookupRun run(*table, queue);
    runToEnd(run);
    const DomainRecord& record = (*table)[0];
    EXPECT_EQ(status(0), static_cast<std::int32_t>(LookupStatus::Success));
    EXPECT_EQ(resultSource(record), ResultSource::Rdap);
    EXPECT_EQ(fieldText(record.expiryDate), "2030-07-31T23:57:50Z");
    EXPECT_EQ(fieldText(record.registrationDate), "2001-07-31T23:57:50Z");
    EXPECT_EQ(fieldText(record.updatedDate), "2025-03-05T22:39:19Z");
    EXPECT_EQ(fieldText(record.registrar), "Example Registrar, Inc.");
    EXPECT_EQ(fieldText(record.owner), "Example Holdings");
    EXPECT_EQ(fieldText(record.email), "https://registrar.example/contact"); // a form, not an address
    EXPECT_EQ(status(1), static_cast<std::int32_t>(LookupStatus::NotRegistered));
    EXPECT_EQ(whois.connectionCount(), 0);
    EXPECT_EQ(rdap.connectionCount(), 2);
}

TEST_F(LookupRunTest, PortFortyThreeThatGivesNoAnswerFallsBackToRdap)
{
    const auto throttled = Behaviour::answer("WHOIS LIMIT EXCEEDED - SEE WWW.PIR.ORG/WHOIS FOR DETAILS\n");
    LoopbackWhoisServer org;
    org.setDefault(throttled);
    route(WhoisServer::Pir, org);
    LoopbackWhoisServer cn;
    cn.setDefault(Behaviour::closeAtOnce());
    route(WhoisServer::Cnnic, cn);
    LoopbackWhoisServer rdap;
    rdap.speakHttp();
    std::string orgRecord(RdapRecord);
    orgRecord.replace(orgRecord.find("EXAMPLE.INFO"), 12, "example.org");
    rdap.on(rdapRequest("example.org"), Behaviour::answer(httpResponse(200, orgRecord)));
    ASSERT_TRUE(endpoints.addRdap("org=" + rdap.httpBase()));
    session.throttleRetryPauses = {10ms, 20ms};
    add("example.org");
    add("example.cn"); // no RDAP service: its port-43 failure stands
    LookupRun run(*table, queue);
    runToEnd(run);
    EXPECT_EQ(status(0), static_cast<std::int32_t>(LookupStatus::Success));
    EXPECT_EQ(resultSource((*table)[0]), ResultSource::Rdap);
    EXPECT_EQ(org.connectionCount(), 3); // the first try and both retries
    EXPECT_EQ(status(1), static_cast<std::int32_t>(LookupStatus::Error));
    EXPECT_EQ(errorReasonOf((*table)[1]), static_cast<std::uint8_t>(ErrorReason::EmptyReply));
}

TEST_F(LookupRunTest, PreferringRdapAsksItFirstAndRetriesItsThrottles)
{
    LoopbackWhoisServer com;
    route(WhoisServer::Verisign, com);
    LoopbackWhoisServer rdap;
    rdap.speakHttp();
    std::string comRecord(RdapRecord);
    comRecord.replace(comRecord.find("EXAMPLE.INFO"), 12, "example.com");
    rdap.onSequence(rdapRequest("example.com"),
                    {Behaviour::answer(httpResponse(429, "", "Retry-After: 0\r\n")),
                     Behaviour::answer(httpResponse(200, comRecord))});
    rdap.on(rdapRequest("wrong.com"), Behaviour::answer(httpResponse(200, comRecord))); // another name
    rdap.on(rdapRequest("broken.com"), Behaviour::answer(httpResponse(200, "{\"objectClassName\":")));
    ASSERT_TRUE(endpoints.addRdap("com=" + rdap.httpBase()));
    session.preferRdap = true;
    session.throttleRetryPauses = {10ms};
    add("example.com");
    add("wrong.com");
    add("broken.com");
    LookupRun run(*table, queue);
    runToEnd(run);
    EXPECT_EQ(status(0), static_cast<std::int32_t>(LookupStatus::Success));
    EXPECT_EQ(status(1), static_cast<std::int32_t>(LookupStatus::Error));
    EXPECT_EQ(errorReasonOf((*table)[1]), static_cast<std::uint8_t>(ErrorReason::OtherDomain));
    EXPECT_EQ(status(2), static_cast<std::int32_t>(LookupStatus::Error));
    EXPECT_EQ(errorReasonOf((*table)[2]), static_cast<std::uint8_t>(ErrorReason::Unrecognised));
    EXPECT_EQ(com.connectionCount(), 0); // an unreadable RDAP answer is an answer: no port 43
}

// A 404 is "not registered" only when the RDAP server says so; a web server's or a proxy's page
// is no answer, and port 43 is asked where the registry has it.
TEST_F(LookupRunTest, RdapNotFoundPageIsNoAnswer)
{
    LoopbackWhoisServer com;
    com.on("page.com",
           Behaviour::answer("Domain Name: PAGE.COM\r\nCreation Date: 2001-02-03T04:05:06Z\r\n"
                             "Registry Expiry Date: 2031-02-03T04:05:06Z\r\nRegistrar: R\r\n"));
    route(WhoisServer::Verisign, com);
    LoopbackWhoisServer info;
    route(WhoisServer::Afilias, info);
    LoopbackWhoisServer rdap;
    rdap.speakHttp();
    const std::string page =
        httpResponse(404, "<html><body>Not Found</body></html>", "Content-Type: text/html\r\n");
    rdap.on(rdapRequest("page.com"), Behaviour::answer(page));
    rdap.on(rdapRequest("page.info"), Behaviour::answer(page));
    rdap.on(rdapRequest("bare.info"),
            Behaviour::answer(httpResponse(404, "", "Content-Type: text/plain\r\n")));
    rdap.on(rdapRequest("free.com"),
            Behaviour::answer(httpResponse(404, R"({"errorCode":404,"title":"Not Found"})")));
    ASSERT_TRUE(endpoints.addRdap("com=" + rdap.httpBase()));
    ASSERT_TRUE(endpoints.addRdap("info=" + rdap.httpBase()));
    session.preferRdap = true;
    add("page.com");
    add("free.com");
    add("page.info");
    add("bare.info");
    LookupRun run(*table, queue);
    runToEnd(run);
    EXPECT_EQ(status(0), static_cast<std::int32_t>(LookupStatus::Success));
    EXPECT_EQ(resultSource((*table)[0]), ResultSource::Whois);
    EXPECT_EQ(fieldText((*table)[0].expiryDate), "2031-02-03T04:05:06Z");
    EXPECT_EQ(status(1), static_cast<std::int32_t>(LookupStatus::NotRegistered));
    EXPECT_EQ(resultSource((*table)[1]), ResultSource::Rdap);
    for (std::size_t i : {2U, 3U}) { // .info has no port-43 service to correct it
        EXPECT_EQ(status(i), static_cast<std::int32_t>(LookupStatus::Error)) << i;
        EXPECT_EQ(errorReasonOf((*table)[i]), static_cast<std::uint8_t>(ErrorReason::NotRdap)) << i;
    }
    EXPECT_EQ(com.connectionCount(), 1);
    EXPECT_EQ(info.connectionCount(), 0);
}

TEST_F(LookupRunTest, ARefusedRdapRedirectIsNoAnswerAndPortFortyThreeIsAsked)
{
    LoopbackWhoisServer com;
    route(WhoisServer::Verisign, com);
    LoopbackWhoisServer rdap;
    rdap.speakHttp();
    rdap.on(rdapRequest("example.com"),
            Behaviour::answer(httpResponse(302, "", "Location: " + rdap.httpBase() + "elsewhere\r\n")));
    ASSERT_TRUE(endpoints.addRdap("com=" + rdap.httpBase()));
    session.preferRdap = true;
    add("example.com");
    LookupRun run(*table, queue);
    runToEnd(run);
    EXPECT_EQ(status(0), static_cast<std::int32_t>(LookupStatus::NotRegistered));
    EXPECT_EQ(resultSource((*table)[0]), ResultSource::Whois);
    EXPECT_EQ(rdap.connectionCount(), 1);
}

TEST_F(LookupRunTest, PacedServerSettlesEveryNameOneConnectionAtATime)
{
    // Every fifth query is refused: the worker slows down instead of giving names up.
    LoopbackWhoisServer org;
    const auto refused = Behaviour::answer("WHOIS LIMIT EXCEEDED\n");
    route(WhoisServer::Pir, org);
    session.throttleRetryPauses = {10ms, 20ms};
    for (int i = 0; i < 12; ++i) {
        const std::string name = "n" + std::to_string(i) + ".org";
        const auto record = Behaviour::answer("Domain Name: " + name + "\nCreation Date: 2001-01-01\n" +
                                              "Registry Expiry Date: 2030-01-01\nRegistrar: R\n");
        if (i % 5 == 4)
            org.onSequence(name, {refused, record});
        else
            org.on(name, record);
        add(name);
    }
    LookupRun run(*table, queue);
    runToEnd(run);
    for (std::size_t i = 0; i < 12; ++i)
        EXPECT_EQ(status(i), static_cast<std::int32_t>(LookupStatus::Success)) << i;
    EXPECT_EQ(org.maxConcurrentConnections(), 1);
}

// What a hostile or broken server can send: none of it may read as a result, and each Error says why.
TEST_F(LookupRunTest, HostileRepliesEndInErrorsWithTheirReasons)
{
    const std::string orgRecord = "Domain Name: EXAMPLE.ORG\r\nCreation Date: 1995-08-14T04:00:00Z\r\n"
                                  "Registry Expiry Date: 2030-08-13T04:00:00Z\r\nRegistrar: R\r\n";
    std::string noise;
    for (std::size_t i = 0; i < 64 * 1024; ++i)
        noise.push_back(static_cast<char>((i * 7919 + 13) % 251 + 1));
    LoopbackWhoisServer org;
    org.on("trickle.org", Behaviour::trickle(orgRecord, 4, 50ms));
    org.on("reset.org", Behaviour::resetAfter(orgRecord));
    org.on("stall.org", Behaviour::stallAfter(orgRecord));
    org.on("hello.org", Behaviour::answer("hello world\r\n"));
    org.on("noise.org", Behaviour::answer(noise));
    org.on("line.org", Behaviour::answer(std::string(3 << 20, 'L')));
    org.on("empty.org", Behaviour::closeAtOnce());
    const auto recordOf = [&](std::string_view name) {
        std::string record = orgRecord;
        record.replace(record.find("EXAMPLE.ORG"), 11, name);
        return record;
    };
    org.on("busy.org",
           Behaviour::answer(recordOf("BUSY.ORG") + "Registrant Organization: Server Too Busy Ltd.\r\n" +
                             "Registrant Email: limit exceeded@example.org\r\n"));
    org.on("other.org", Behaviour::answer(orgRecord)); // a proxy's or a misrouted server's answer
    org.on("holdings.org",
           Behaviour::answer("NOTICE: \"NOT FOUND\" means the name is free\r\n" + recordOf("holdings.org") +
                             "Registrant Organization: NOT FOUND Holdings Ltd\r\n"));
    route(WhoisServer::Pir, org);
    session.readTimeout = 300ms;
    session.exchangeLimit = 1s;
    session.throttleRetryPauses = {10ms};

    struct Case
    {
        const char* domain;
        LookupStatus status;
        ErrorReason reason;
    };

    const Case cases[] = {
        {"trickle.org", LookupStatus::Error, ErrorReason::TimedOut}, // past the exchange limit
        {"reset.org", LookupStatus::Error, ErrorReason::Reset},
        {"stall.org", LookupStatus::Error, ErrorReason::TimedOut}, // idle after the record
        {"hello.org", LookupStatus::Error, ErrorReason::Unrecognised},
        {"noise.org", LookupStatus::Error, ErrorReason::Unrecognised},
        {"line.org", LookupStatus::Error, ErrorReason::Unrecognised}, // cut at the cap, then read
        {"empty.org", LookupStatus::Error, ErrorReason::EmptyReply},
        {"busy.org", LookupStatus::Success, ErrorReason::None}, // a record, whatever its values say
        {"other.org", LookupStatus::Error, ErrorReason::OtherDomain},
        {"holdings.org", LookupStatus::Success, ErrorReason::None},
    };
    for (const Case& c : cases)
        add(c.domain);
    LookupRun run(*table, queue);
    runToEnd(run);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const DomainRecord& record = (*table)[i];
        EXPECT_TRUE(isDone(record)) << cases[i].domain;
        EXPECT_EQ(record.status, static_cast<std::int32_t>(cases[i].status)) << cases[i].domain;
        EXPECT_EQ(record.errorReason, static_cast<std::uint8_t>(cases[i].reason)) << cases[i].domain;
    }
    EXPECT_EQ(fieldText((*table)[7].owner), "Server Too Busy Ltd.");
    EXPECT_EQ(org.connectionCount(), static_cast<int>(std::size(cases))); // nothing was asked twice
}

TEST_F(LookupRunTest, StopEndsAThrottleWaitAtOnce)
{
    LoopbackWhoisServer org;
    org.setDefault(Behaviour::answer("WHOIS LIMIT EXCEEDED\n"));
    route(WhoisServer::Pir, org);
    session.throttleRetryPauses = {60s};
    add("busy.org");
    assignWhoisServers(*table);
    LookupRun run(*table, queue);
    run.setExchangeOptions(session);
    run.setEndpoints(endpoints);
    ASSERT_EQ(run.startLookups(), LookupRun::StartResult::Running);
    const auto giveUp = std::chrono::steady_clock::now() + 10s;
    while (run.throttledServers().empty() && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(10ms);
    const auto notices = run.throttledServers();
    ASSERT_EQ(notices.size(), 1U);
    EXPECT_EQ(notices[0].server, "whois.publicinterestregistry.org");
    EXPECT_GT(notices[0].retryAt, std::chrono::steady_clock::now() + 30s);

    const auto asked = std::chrono::steady_clock::now();
    run.requestStop();
    run.join();
    EXPECT_LT(std::chrono::steady_clock::now() - asked, 2s);
    EXPECT_FALSE(isDone((*table)[0]));
}

/// A run over three servers whose workers would wait on silent servers for a minute, and whose
/// third worker thread cannot start, as when the system has no thread left to give.
class CannotStartThreadTest : public LookupRunTest
{
protected:
    void SetUp() override
    {
        LookupRunTest::SetUp();
        for (LoopbackWhoisServer* server : {&silentCom, &silentOrg, &silentCn})
            server->setDefault(Behaviour::silent());
        route(WhoisServer::Verisign, silentCom);
        route(WhoisServer::Pir, silentOrg);
        route(WhoisServer::Cnnic, silentCn);
        session.readTimeout = 60s;
        session.exchangeLimit = 60s;
        add("a.com"); // its worker starts first
        add("b.org"); // second
        add("c.cn");  // its worker's thread cannot start
        add("d.sg");  // no server: settled by the scan
        assignWhoisServers(*table);
        ASSERT_TRUE(everyServerIsRouted());
        run.emplace(*table, queue, [this](std::unique_ptr<WorkerParams> params) {
            if (++starts == 3)
                throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
            return startWorkerThread(std::move(params));
        });
        run->setExchangeOptions(session);
        run->setEndpoints(endpoints);
    }

    int starts = 0;
    LoopbackWhoisServer silentCom;
    LoopbackWhoisServer silentOrg;
    LoopbackWhoisServer silentCn;
    std::optional<LookupRun> run; // ends before the servers it asks
};

TEST_F(CannotStartThreadTest, NoWorkerOutlivesTheFailedStart)
{
    ASSERT_EQ(run->startLookups(), LookupRun::StartResult::CannotStartThread);
    EXPECT_EQ(starts, 3);
    EXPECT_EQ(run->runningWorkers(), 0);
    // A worker's report is its last act: both started workers have already ended, so none can
    // write into the table any more (the caller may clear it at once).
    for (int i = 0; i < 2; ++i) {
        const auto report = queue.take(0ms);
        ASSERT_TRUE(report) << "worker " << i << " is still running";
        EXPECT_TRUE(report->queried);
        EXPECT_FALSE(run->workerDone()); // the run is already over
    }
    EXPECT_FALSE(queue.take(0ms));
    EXPECT_EQ(run->runningWorkers(), 0);

    // Unfinished records are free for a later start; the record settled by the scan stays settled.
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_FALSE(isDone((*table)[i])) << i;
        EXPECT_EQ((*table)[i].claimed, 0) << i;
    }
    EXPECT_TRUE(isDone((*table)[3]));
    EXPECT_EQ((*table)[3].claimed, 1);
    EXPECT_EQ(status(3), static_cast<std::int32_t>(LookupStatus::NoServer));
}

TEST_F(CannotStartThreadTest, TheNextRunLooksEverythingUpAndIgnoresTheFailedStartsReports)
{
    ASSERT_EQ(run->startLookups(), LookupRun::StartResult::CannotStartThread);

    LoopbackWhoisServer com;
    LoopbackWhoisServer org;
    LoopbackWhoisServer cn;
    for (LoopbackWhoisServer* server : {&com, &org, &cn})
        server->setDefault(Behaviour::answer("NOT FOUND\n"));
    endpoints = EndpointOverrides();
    ASSERT_TRUE(endpoints.addRdapList(test::rdapNowhere()));
    route(WhoisServer::Verisign, com);
    route(WhoisServer::Pir, org);
    route(WhoisServer::Cnnic, cn);
    ASSERT_TRUE(everyServerIsRouted());
    session.readTimeout = 2s;
    session.exchangeLimit = 10s;
    run->setExchangeOptions(session);
    run->setEndpoints(endpoints);
    ASSERT_EQ(run->startLookups(), LookupRun::StartResult::Running);
    EXPECT_EQ(run->runningWorkers(), 3);

    // The reports of the failed start's two workers were queued before this run's workers existed.
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(queue.take(10s));
        EXPECT_FALSE(run->workerDone());
    }
    EXPECT_EQ(run->runningWorkers(), 3);

    const auto giveUp = std::chrono::steady_clock::now() + 60s;
    ASSERT_TRUE(run->waitForEnd(queue, 100ms, [&] { return std::chrono::steady_clock::now() > giveUp; }));
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_TRUE(isDone((*table)[i])) << i;
    for (const LoopbackWhoisServer* server : {&com, &org, &cn})
        EXPECT_EQ(server->connectionCount(), 1);
}

TEST(EndpointOverrides, ParsesHostsAddressesAndPorts)
{
    EndpointOverrides overrides;
    EXPECT_TRUE(overrides.addList("whois.nic.tv=127.0.0.1:4343; whois.cnnic.cn=relay.example ;"
                                  "whois.jprs.jp=[::1]:4344;whois.nic.biz=::1"));
    EXPECT_EQ(overrides.endpointFor("whois.nic.tv").address, "127.0.0.1");
    EXPECT_EQ(overrides.endpointFor("whois.nic.tv").port, 4343);
    EXPECT_EQ(overrides.endpointFor("whois.cnnic.cn").port, WhoisPort);
    EXPECT_EQ(overrides.endpointFor("whois.jprs.jp").address, "::1");
    EXPECT_EQ(overrides.endpointFor("whois.jprs.jp").port, 4344);
    EXPECT_EQ(overrides.endpointFor("whois.nic.biz").address, "::1");
    EXPECT_EQ(overrides.endpointFor("whois.hkirc.hk").address, "whois.hkirc.hk");

    for (const char* bad :
         {"noequals", "=1.2.3.4", "h=", "h=1.2.3.4:", "h=1.2.3.4:0", "h=1.2.3.4:70000", "h=[::1"})
        EXPECT_FALSE(overrides.add(bad)) << bad;
}

} // namespace
} // namespace zonedesk::lookup
