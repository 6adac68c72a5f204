// SPDX-License-Identifier: MIT
// Looking hosts up within a deadline and a stop, once per resolver, with a stand-in for the
// system's resolver (no test sends a DNS query).
#include "lookup/host_resolver.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>

#include <gtest/gtest.h>

#include "lookup/whois_exchange.h"
#include "tests/support/loopback_whois_server.h"

namespace zonedesk::lookup {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Outcome = Resolution::Outcome;

/// A resolver that answers only once opened (never, unless the test opens it), counting what it
/// is asked. Shared with the helper threads, which may outlive the test's resolver.
struct StandIn
{
    std::mutex mutex;
    std::condition_variable opened;
    bool open = false;
    std::atomic<int> asked{0};
    int error = 0;

    void openUp()
    {
        const std::lock_guard lock(mutex);
        open = true;
        opened.notify_all();
    }
};

HostResolver::Lookup lookupOf(const std::shared_ptr<StandIn>& standIn)
{
    return [standIn](const std::string&, std::vector<HostAddress>& addresses) {
        ++standIn->asked;
        std::unique_lock lock(standIn->mutex);
        standIn->opened.wait(lock, [&] { return standIn->open; });
        if (standIn->error != 0)
            return standIn->error;
        HostAddress address;
        auto* in = reinterpret_cast<sockaddr_in*>(&address.storage);
        in->sin_family = AF_INET;
        in->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.length = sizeof(sockaddr_in);
        addresses.push_back(address);
        return 0;
    };
}

std::uint16_t portOf(const HostAddress& address)
{
    return ntohs(reinterpret_cast<const sockaddr_in*>(&address.storage)->sin_port);
}

/// Opens the stand-in when the test ends, so that no helper thread is left waiting.
struct Opener
{
    std::shared_ptr<StandIn> standIn;

    ~Opener() { standIn->openUp(); }
};

TEST(HostResolver, AResolverThatNeverAnswersCostsTheDeadlineOrTheStopNotItsOwnTime)
{
    auto standIn = std::make_shared<StandIn>();
    const Opener opener{standIn};
    HostResolver resolver(lookupOf(standIn));

    const auto start = Clock::now();
    const Resolution late = resolver.resolve("whois.unanswered.test", 43, start + 200ms, {});
    EXPECT_EQ(late.outcome, Outcome::TimedOut);
    EXPECT_LT(Clock::now() - start, 20s); // generous: the deadline is 200 ms away

    std::stop_source stop;
    auto pending = std::async(std::launch::async, [&] {
        return resolver.resolve("whois.unanswered.test", 43, Clock::now() + 1h, stop.get_token());
    });
    std::this_thread::sleep_for(50ms);
    stop.request_stop();
    ASSERT_EQ(pending.wait_for(20s), std::future_status::ready);
    EXPECT_EQ(pending.get().outcome, Outcome::Stopped);
    EXPECT_EQ(standIn->asked, 1); // the second call waited for the first call's look-up
}

TEST(HostResolver, EachHostIsLookedUpOnceAndEveryWaiterGetsTheAnswer)
{
    auto standIn = std::make_shared<StandIn>();
    const Opener opener{standIn};
    HostResolver resolver(lookupOf(standIn));
    std::vector<std::future<Resolution>> waiters;
    for (const std::uint16_t port : std::vector<std::uint16_t>{43, 4343, 43}) {
        waiters.push_back(std::async(std::launch::async, [&resolver, port] {
            return resolver.resolve("whois.shared.test", port, Clock::now() + 1h, {});
        }));
    }
    while (standIn->asked == 0)
        std::this_thread::sleep_for(5ms);
    standIn->openUp();
    std::vector<std::uint16_t> ports;
    for (auto& waiter : waiters) {
        const Resolution found = waiter.get();
        ASSERT_EQ(found.outcome, Outcome::Found);
        ASSERT_EQ(found.addresses.size(), 1U);
        ports.push_back(portOf(found.addresses[0]));
    }
    EXPECT_EQ(ports, (std::vector<std::uint16_t>{43, 4343, 43})); // each with its own port
    EXPECT_EQ(resolver.resolve("whois.shared.test", 43, Clock::now() + 1h, {}).outcome, Outcome::Found);
    EXPECT_EQ(resolver.resolve("whois.other.test", 43, Clock::now() + 1h, {}).outcome, Outcome::Found);
    EXPECT_EQ(standIn->asked, 2);

    // Numeric addresses are never looked up.
    for (const char* numeric : {"127.0.0.1", "::1"}) {
        const Resolution found = resolver.resolve(numeric, 4343, Clock::now(), {});
        ASSERT_EQ(found.outcome, Outcome::Found) << numeric;
        EXPECT_EQ(portOf(found.addresses[0]), 4343) << numeric;
    }
    EXPECT_EQ(standIn->asked, 2);
}

TEST(HostResolver, ANameThatDoesNotExistStandsAndATemporaryFailureIsAskedAgain)
{
    for (const int error : {EAI_NONAME, EAI_AGAIN}) {
        auto standIn = std::make_shared<StandIn>();
        standIn->error = error;
        standIn->openUp();
        HostResolver resolver(lookupOf(standIn));
        EXPECT_EQ(resolver.resolve("x.test", 43, Clock::now() + 1h, {}).outcome, Outcome::NotFound);
        EXPECT_EQ(resolver.resolve("x.test", 43, Clock::now() + 1h, {}).outcome, Outcome::NotFound);
        EXPECT_EQ(standIn->asked, error == EAI_NONAME ? 1 : 2) << gai_strerror(error);
    }
}

TEST(HostResolver, TheWhoisExchangeResolvesWithinItsConnectLimitAndItsStop)
{
    auto standIn = std::make_shared<StandIn>();
    const Opener opener{standIn};
    ExchangeOptions session;
    session.connectTimeout = 300ms;
    session.exchangeLimit = 1h;
    session.whoisHosts = std::make_shared<HostResolver>(lookupOf(standIn));
    const Endpoint nowhere{"whois.unanswered.test", 43};

    const auto start = Clock::now();
    const ExchangeResult late = exchangeWhois(nowhere, "example.com", session, {});
    EXPECT_EQ(late.outcome, ExchangeOutcome::Failed);
    EXPECT_EQ(late.reason, core::ErrorReason::TimedOut);
    EXPECT_LT(Clock::now() - start, 20s);

    session.connectTimeout = 1h;
    std::stop_source stop;
    auto pending = std::async(
        std::launch::async, [&] { return exchangeWhois(nowhere, "example.com", session, stop.get_token()); });
    std::this_thread::sleep_for(50ms);
    stop.request_stop();
    ASSERT_EQ(pending.wait_for(20s), std::future_status::ready);
    EXPECT_EQ(pending.get().outcome, ExchangeOutcome::Stopped);
}

TEST(HostResolver, TheWhoisExchangeConnectsToTheAddressTheResolverGives)
{
    test::LoopbackWhoisServer server;
    server.on("example.com", test::Behaviour::answer("No match for \"EXAMPLE.COM\".\r\n"));
    auto standIn = std::make_shared<StandIn>();
    standIn->openUp();
    ExchangeOptions session;
    session.whoisHosts = std::make_shared<HostResolver>(lookupOf(standIn));
    for (int i = 0; i < 2; ++i) {
        const ExchangeResult result =
            exchangeWhois(Endpoint{"whois.loopback.test", server.port()}, "example.com", session, {});
        EXPECT_EQ(result.reason, core::ErrorReason::None);
        EXPECT_EQ(result.reply, "No match for \"EXAMPLE.COM\".\r\n");
    }
    EXPECT_EQ(standIn->asked, 1); // once for both exchanges that share it
}

} // namespace
} // namespace zonedesk::lookup
