// SPDX-License-Identifier: MIT
// The RDAP exchange against a loopback HTTP server: answers, the size cap, time limits and stops.
#include "lookup/rdap_exchange.h"

#include <chrono>
#include <future>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/loopback_whois_server.h"

namespace zonedesk::lookup {
namespace {

using namespace std::chrono_literals;
using test::Behaviour;
using test::httpResponse;
using test::LoopbackWhoisServer;
using test::rdapRequest;

ExchangeOptions quickSession()
{
    ExchangeOptions session;
    session.connectTimeout = 500ms;
    session.readTimeout = 1s; // libcurl counts its idle limit in whole seconds
    session.exchangeLimit = 5s;
    return session;
}

TEST(RdapExchange, GetsTheDomainAndReportsStatusBodyAndRetryAfter)
{
    LoopbackWhoisServer server;
    server.speakHttp();
    server.on(rdapRequest("example.org"),
              Behaviour::answer(httpResponse(200, R"({"ldhName":"example.org"})")));
    server.on(rdapRequest("busy.org"), Behaviour::answer(httpResponse(429, "", "Retry-After: 7\r\n")));
    const ExchangeResult found = exchangeRdap(server.httpBase() + "domain/example.org", quickSession(), {});
    EXPECT_EQ(found.outcome, ExchangeOutcome::Received);
    EXPECT_EQ(found.reason, core::ErrorReason::None);
    EXPECT_EQ(found.httpStatus, 200);
    EXPECT_EQ(found.reply, R"({"ldhName":"example.org"})");
    ASSERT_EQ(server.requests().size(), 1U);
    EXPECT_NE(server.requests()[0].find("Accept: application/rdap+json\r\n"), std::string::npos);

    const ExchangeResult busy = exchangeRdap(server.httpBase() + "domain/busy.org", quickSession(), {});
    EXPECT_EQ(busy.httpStatus, 429);
    EXPECT_EQ(busy.retryAfter, 7s);
}

TEST(RdapExchange, OverTheCapSilentOrRefusedIsNoAnswer)
{
    LoopbackWhoisServer server;
    server.speakHttp();
    server.on(rdapRequest("big.org"), Behaviour::answer(httpResponse(200, std::string(5000, '{'))));
    server.on(rdapRequest("silent.org"), Behaviour::silent());
    ExchangeOptions capped = quickSession();
    capped.replySizeCap = 4096;
    EXPECT_EQ(exchangeRdap(server.httpBase() + "domain/big.org", capped, {}).reason,
              core::ErrorReason::TooLarge);
    EXPECT_EQ(exchangeRdap(server.httpBase() + "domain/silent.org", quickSession(), {}).reason,
              core::ErrorReason::TimedOut);
    const std::string nowhere =
        "http://127.0.0.1:" + std::to_string(LoopbackWhoisServer::refusedPort()) + "/";
    const ExchangeResult refused = exchangeRdap(nowhere + "domain/x.org", quickSession(), {});
    EXPECT_EQ(refused.outcome, ExchangeOutcome::Failed);
    EXPECT_EQ(refused.reason, core::ErrorReason::ConnectFailed);
}

TEST(RdapExchange, ARedirectAwayFromHttpsIsRefusedWithItsOwnReason)
{
    LoopbackWhoisServer server;
    server.speakHttp();
    const std::string toHttp = server.httpBase() + "domain/plain.org";
    server.on(rdapRequest("moved.org"),
              Behaviour::answer(httpResponse(302, "", "Location: " + toHttp + "\r\n")));
    server.on(rdapRequest("file.org"),
              Behaviour::answer(httpResponse(301, "", "Location: file:///etc/passwd\r\n")));
    server.on(rdapRequest("plain.org"), Behaviour::answer(httpResponse(200, R"({"ldhName":"plain.org"})")));
    for (const char* name : {"moved.org", "file.org"}) {
        const ExchangeResult result = exchangeRdap(server.httpBase() + "domain/" + name, quickSession(), {});
        EXPECT_EQ(result.reason, core::ErrorReason::RedirectRefused) << name;
        EXPECT_EQ(result.reply, "") << name;
    }
    EXPECT_EQ(server.connectionCount(), 2); // neither redirect was followed
}

TEST(RdapExchange, StopRequestEndsAWaitingRequestQuickly)
{
    LoopbackWhoisServer server;
    server.speakHttp();
    server.setDefault(Behaviour::silent());
    ExchangeOptions patient = quickSession();
    patient.readTimeout = 60s;
    patient.exchangeLimit = 60s;
    std::stop_source stop;
    auto pending = std::async(std::launch::async, [&] {
        return exchangeRdap(server.httpBase() + "domain/wait.org", patient, stop.get_token());
    });
    while (server.connectionCount() == 0)
        std::this_thread::sleep_for(10ms);
    stop.request_stop();
    // Generous: the exchange looks at its stop request every 100 ms.
    ASSERT_EQ(pending.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(pending.get().outcome, ExchangeOutcome::Stopped);
}

} // namespace
} // namespace zonedesk::lookup
