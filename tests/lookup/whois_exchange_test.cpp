// SPDX-License-Identifier: MIT
// The exchange against the loopback server: bytes on the wire, chunking, failures and time limits.
#include "lookup/whois_exchange.h"

#include <chrono>
#include <future>
#include <string>

#include <gtest/gtest.h>

#include "core/whois_query_name.h"
#include "tests/support/loopback_whois_server.h"

namespace zonedesk::lookup {
namespace {

using namespace zonedesk::core;

using namespace std::chrono_literals;
using test::Behaviour;
using test::LoopbackWhoisServer;

/// Short limits, so that no test waits for the real ones.
ExchangeOptions quickSession()
{
    ExchangeOptions session;
    session.connectTimeout = 500ms;
    session.connectBackoff = 10ms;
    session.readTimeout = 300ms;
    session.exchangeLimit = 5s;
    return session;
}

Endpoint at(const LoopbackWhoisServer& server)
{
    return {"127.0.0.1", server.port()};
}

ExchangeResult ask(const LoopbackWhoisServer& server, std::string_view query, const ExchangeOptions& session)
{
    return exchangeWhois(at(server), query, session, {});
}

TEST(WhoisExchange, SendsTheQueryAndCrLfAndReadsUntilClose)
{
    LoopbackWhoisServer server;
    server.on("example.com", Behaviour::answer("Domain Name: EXAMPLE.COM\r\n"));
    const ExchangeResult result = ask(server, "example.com", quickSession());
    EXPECT_EQ(result.outcome, ExchangeOutcome::Received);
    EXPECT_EQ(result.reply, "Domain Name: EXAMPLE.COM\r\n");
    ASSERT_EQ(server.requests().size(), 1U);
    EXPECT_EQ(server.requests()[0], "example.com\r\n");
}

TEST(WhoisExchange, ReassemblesChunksWhateverTheirSize)
{
    std::string text;
    for (int i = 0; text.size() < 5000; ++i)
        text += "line " + std::to_string(i) + "\n";
    LoopbackWhoisServer server;
    server.on("many.com", Behaviour::trickle(text, 7, 1ms));
    server.on("exact.com", Behaviour::answer(std::string(1024, 'x')));
    server.on("nul.com", Behaviour::answer(std::string("abc\0def\0", 8) + "ghi"));
    EXPECT_EQ(ask(server, "many.com", quickSession()).reply, text);
    EXPECT_EQ(ask(server, "exact.com", quickSession()).reply.size(), 1024U);
    EXPECT_EQ(ask(server, "nul.com", quickSession()).reply, "abcdefghi"); // NULs dropped, nothing cut
}

TEST(WhoisExchange, StopsReadingAtTheSizeCap)
{
    LoopbackWhoisServer server;
    server.setDefault(Behaviour::answer(std::string(3 << 20, 'm')));
    ExchangeOptions session = quickSession();
    session.replySizeCap = 1 << 20;
    const ExchangeResult result = ask(server, "big.com", session);
    EXPECT_EQ(result.outcome, ExchangeOutcome::Received);
    EXPECT_EQ(result.reply.size(), std::size_t{1} << 20);
}

TEST(WhoisExchange, FailuresBeforeReceivingAndTimeLimits)
{
    LoopbackWhoisServer server;
    server.on("closed.com", Behaviour::closeAtOnce());
    server.on("silent.com", Behaviour::silent());
    server.on("slow.com", Behaviour::trickle(std::string(1000, 's'), 1, 20ms));

    const ExchangeResult closed = ask(server, "closed.com", quickSession());
    EXPECT_EQ(closed.outcome, ExchangeOutcome::Received);
    EXPECT_EQ(closed.reply, "");
    EXPECT_EQ(closed.reason, ErrorReason::None); // complete, if empty: the parser's to judge

    const ExchangeResult silent = ask(server, "silent.com", quickSession()); // read time-out
    EXPECT_EQ(silent.outcome, ExchangeOutcome::Received);
    EXPECT_EQ(silent.reply, "");
    EXPECT_EQ(silent.reason, ErrorReason::TimedOut);

    ExchangeOptions limited = quickSession();
    limited.exchangeLimit = 300ms;
    const ExchangeResult slow = ask(server, "slow.com", limited); // whole-exchange limit
    EXPECT_EQ(slow.outcome, ExchangeOutcome::Received);
    EXPECT_FALSE(slow.reply.empty());
    EXPECT_LT(slow.reply.size(), 1000U);
    EXPECT_EQ(slow.reason, ErrorReason::TimedOut);

    const ExchangeResult refused =
        exchangeWhois({"127.0.0.1", LoopbackWhoisServer::refusedPort()}, "x.com", quickSession(), {});
    EXPECT_EQ(refused.outcome, ExchangeOutcome::Failed);
    EXPECT_EQ(refused.reason, ErrorReason::ConnectFailed);
}

TEST(WhoisExchange, AReplyCutOffBeforeTheServerClosesIsIncomplete)
{
    const std::string record = "Domain Name: EXAMPLE.COM\r\nCreation Date: 1995-08-14\r\n";
    LoopbackWhoisServer server;
    server.on("reset.com", Behaviour::resetAfter(record));
    server.on("stall.com", Behaviour::stallAfter(record));
    server.on("capped.com", Behaviour::stallAfter(std::string(4096, 'c')));

    const ExchangeResult reset = ask(server, "reset.com", quickSession());
    EXPECT_EQ(reset.outcome, ExchangeOutcome::Received);
    EXPECT_EQ(reset.reason, ErrorReason::Reset);

    const ExchangeResult stalled = ask(server, "stall.com", quickSession()); // idle after some bytes
    EXPECT_EQ(stalled.reply, record);
    EXPECT_EQ(stalled.reason, ErrorReason::TimedOut);

    ExchangeOptions capped = quickSession();
    capped.replySizeCap = 2048; // a reply cut at the cap is whole enough to read
    const ExchangeResult big = ask(server, "capped.com", capped);
    EXPECT_EQ(big.reply.size(), 2048U);
    EXPECT_EQ(big.reason, ErrorReason::None);
}

TEST(WhoisExchange, TriesEveryResolvedAddress)
{
    // "localhost" may resolve to ::1 first, where nothing listens; 127.0.0.1 must still be reached.
    LoopbackWhoisServer server;
    server.setDefault(Behaviour::answer("ok"));
    EXPECT_EQ(exchangeWhois({"localhost", server.port()}, "a.com", quickSession(), {}).reply, "ok");
}

TEST(WhoisExchange, StopRequestEndsASilentExchangeQuickly)
{
    LoopbackWhoisServer server;
    server.setDefault(Behaviour::silent());
    ExchangeOptions session; // the real, long limits
    std::stop_source stop;
    auto pending = std::async(std::launch::async,
                              [&] { return exchangeWhois(at(server), "s.com", session, stop.get_token()); });
    // The stop comes while the server holds the connection, not before the exchange began.
    for (int waited = 0; server.connectionCount() == 0 && waited < 500; ++waited)
        std::this_thread::sleep_for(10ms);
    ASSERT_EQ(server.connectionCount(), 1);
    const auto asked = std::chrono::steady_clock::now();
    stop.request_stop();
    ASSERT_EQ(pending.wait_for(5s), std::future_status::ready);
    EXPECT_LT(std::chrono::steady_clock::now() - asked, 1s); // 200 ms promised; slack for a slow machine
    EXPECT_EQ(pending.get().outcome, ExchangeOutcome::Stopped);
}

TEST(WhoisQueryName, NonAsciiNamesGoOutAsALabels)
{
    EXPECT_EQ(whoisQueryName("example.com"), "example.com");
    EXPECT_EQ(whoisQueryName("\xD6\xD0\xCE\xC4.cn"), "xn--fiq228c.cn"); // 中文.cn in GBK
    EXPECT_EQ(whoisQueryName("\xA1\xEE.com"), std::nullopt);            // ☆ is not allowed in a name
    EXPECT_EQ(whoisQueryName("\xFF\xFF.com"), std::nullopt);            // not GBK at all
}

} // namespace
} // namespace zonedesk::lookup
