// SPDX-License-Identifier: MIT
// Names beyond the ten registries, looked up end to end against loopback servers standing in for
// their RDAP and WHOIS services and for IANA: the service the data names, the registrable domain
// asked, one connection at a time per host, and a true verdict for each.
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/data_files.h"
#include "core/domain_table.h"
#include "core/error_reason.h"
#include "core/field_copy.h"
#include "core/lookup_status.h"
#include "core/service_choice.h"
#include "core/whois_servers.h"
#include "lookup/run_with_history.h"
#include "tests/support/loopback_whois_server.h"
#include "tests/support/shared_corpus.h"
#include "tests/support/temp_dir.h"

namespace zonedesk::lookup {
namespace {

using namespace std::chrono_literals;
using core::LookupStatus;
using test::Behaviour;
using test::httpResponse;
using test::LoopbackWhoisServer;
using test::rdapRequest;

constexpr std::string_view Bootstrap = R"({"version":"1.0","publication":"2026-07-23T02:00:03Z",
  "services":[[["xyz","app"],["https://rdap.centralnic.example/"]],[["de"],["https://rdap.denic.example/"]]]})";

std::string rdapDomain(std::string_view name)
{
    return R"({"objectClassName":"domain","ldhName":")" + std::string(name) +
           R"(","events":[{"eventAction":"registration","eventDate":"2001-07-31T23:57:50Z"},
             {"eventAction":"expiration","eventDate":"2030-07-31T23:57:50Z"}],
           "entities":[{"objectClassName":"entity","roles":["registrar"],
             "vcardArray":["vcard",[["version",{},"text","4.0"],["fn",{},"text","Example Registrar"]]]}]})";
}

std::string whoisRecord(std::string_view name)
{
    return "Domain Name: " + std::string(name) +
           "\r\nRegistrar: Example Registrar\r\nCreation Date: 2001-01-01T00:00:00Z\r\n"
           "Registry Expiry Date: 2030-01-01T00:00:00Z\r\n";
}

class EveryRegistryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        table = core::DomainTable::allocate();
        ASSERT_NE(table, nullptr);
        std::string error;
        data.rdap = core::RdapBootstrap::parse(Bootstrap, error);
        ASSERT_TRUE(data.rdap) << error;
        data.whois = core::WhoisHostTable::parse(
            "de\twhois.denic.example\nuk\twhois.nic.uk\njp\twhois.jprs.jp\n", error);
        ASSERT_TRUE(data.whois) << error;
        rdap.speakHttp();
        ASSERT_TRUE(endpoints.addRdapList(test::rdapNowhere()));
        for (const char* suffix : {"xyz", "app", "de"})
            ASSERT_TRUE(endpoints.addRdap(std::string(suffix) + "=" + rdap.httpBase()));
        ASSERT_TRUE(endpoints.add("whois.denic.example=" + denic.address()));
        ASSERT_TRUE(endpoints.add("whois.nic.uk=" + nominet.address()));
        ASSERT_TRUE(endpoints.add("whois.iana.org=" + iana.address()));
        ASSERT_TRUE(endpoints.add("whois.nic.zz=" + zz.address()));
        ASSERT_TRUE(endpoints.add("whois.verisign-grs.com=" + com.address()));
        ASSERT_TRUE(endpoints.add("whois.jprs.jp=" + jprs.address()));
        session.readTimeout = 5s;
        session.exchangeLimit = 10s;
    }

    void add(std::string_view name)
    {
        core::copyField((*table)[static_cast<std::size_t>(table->count())].domain, name);
        table->setCount(table->count() + 1);
    }

    void runToEnd()
    {
        core::assignWhoisServers(*table);
        core::assignOtherServices(*table, data);
        RunWithHistory run(*table, queue);
        run.setExchangeOptions(session);
        run.setEndpoints(endpoints);
        run.setServiceData(&data);
        run.setReferralCache(cache.path() / "iana-referrals.tsv");
        ASSERT_EQ(run.start(), LookupRun::StartResult::Running);
        const auto giveUp = std::chrono::steady_clock::now() + 60s;
        ASSERT_TRUE(run.waitForEnd(queue, 50ms, [&] { return std::chrono::steady_clock::now() > giveUp; }));
    }

    std::int32_t status(std::size_t i) const { return (*table)[i].status; }

    std::string_view server(std::size_t i) const { return core::fieldText((*table)[i].server); }

    test::TempDir cache;
    core::ServiceData data;
    LoopbackWhoisServer rdap;
    LoopbackWhoisServer denic;
    LoopbackWhoisServer nominet;
    LoopbackWhoisServer iana;
    LoopbackWhoisServer zz;
    LoopbackWhoisServer com;
    LoopbackWhoisServer jprs;
    EndpointOverrides endpoints;
    ExchangeOptions session;
    std::unique_ptr<core::DomainTable> table;
    WorkerEndQueue queue;
};

TEST_F(EveryRegistryTest, EachNameGoesToTheServiceItsTldHasAndComesBackWithItsVerdict)
{
    rdap.on(rdapRequest("example.xyz"), Behaviour::answer(httpResponse(200, rdapDomain("EXAMPLE.XYZ"))));
    rdap.on(rdapRequest("free.app"), Behaviour::answer(httpResponse(404, "")));
    denic.on("taken.de", Behaviour::answer(whoisRecord("taken.de")));
    denic.on("free.de", Behaviour::answer("Domain: free.de\nStatus: free\n"));
    nominet.on("example.co.uk", Behaviour::answer(whoisRecord("example.co.uk")));
    iana.on("zz", Behaviour::answer("domain:       ZZ\nrefer:        whois.nic.zz\n"));
    iana.on("qq", Behaviour::answer("domain:       QQ\nstatus:       ACTIVE\n"));
    zz.on("example.zz", Behaviour::answer(whoisRecord("example.zz")));
    com.on("example.com", Behaviour::answer(whoisRecord("EXAMPLE.COM")));

    add("example.xyz");        // 0: a generic TLD, RDAP first
    add("free.app");           // 1: the same RDAP host, not registered
    add("www.taken.de");       // 2: a country code, port 43 first, asked as its registrable domain
    add("free.de");            // 3
    add("shop.example.co.uk"); // 4: a second-level public suffix
    add("example.zz");         // 5: in neither file: IANA names the host
    add("example.qq");         // 6: IANA knows no service
    add("co.uk");              // 7: a public suffix, which nobody registers
    add("example.com");        // 8: one of the ten, as always
    runToEnd();

    EXPECT_EQ(server(0), "rdap.centralnic.example");
    EXPECT_EQ(server(2), "whois.denic.example");
    EXPECT_EQ(server(5), "whois.iana.org");
    EXPECT_EQ(server(7), "");
    EXPECT_EQ(server(8), "whois.verisign-grs.com");

    const LookupStatus expected[] = {LookupStatus::Success,
                                     LookupStatus::NotRegistered,
                                     LookupStatus::Success,
                                     LookupStatus::NotRegistered,
                                     LookupStatus::Success,
                                     LookupStatus::Success,
                                     LookupStatus::NoServer,
                                     LookupStatus::NoServer,
                                     LookupStatus::Success};
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_TRUE(core::isDone((*table)[i])) << i;
        EXPECT_EQ(status(i), static_cast<std::int32_t>(expected[i])) << i << " " << server(i);
    }
    EXPECT_EQ(core::resultSource((*table)[0]), core::ResultSource::Rdap);
    EXPECT_EQ(core::fieldText((*table)[0].registrar), "Example Registrar");
    EXPECT_EQ(core::fieldText((*table)[2].registrar), "Example Registrar");
    EXPECT_EQ(core::errorReasonOf((*table)[6]), static_cast<std::uint8_t>(core::ErrorReason::NoService));
    EXPECT_EQ(core::errorReasonOf((*table)[7]), static_cast<std::uint8_t>(core::ErrorReason::PublicSuffix));

    // One connection at a time per host (port 43 ends a reply by closing, so the count is exact
    // there); the registrable domain is what was asked.
    for (const LoopbackWhoisServer* host : {&denic, &iana})
        EXPECT_EQ(host->maxConcurrentConnections(), 1);
    EXPECT_EQ(rdap.connectionCount(), 2);
    EXPECT_EQ(denic.requests(), (std::vector<std::string>{"taken.de\r\n", "free.de\r\n"}));
    EXPECT_EQ(nominet.requests(), std::vector<std::string>{"example.co.uk\r\n"});
    EXPECT_EQ(iana.connectionCount(), 2);
}

TEST_F(EveryRegistryTest, AReplyOfOneOfTheTensHostsIsReadByItsRegistrysRules)
{
    // .net.jp has no host among the ten's rules; the shipped data sends it to JPRS, whose reply
    // (its labels in ISO-2022-JP) only JPRS's rules read whole.
    const auto corpus = test::corpusFolder();
    if (!corpus)
        GTEST_SKIP() << "shared WHOIS replies not found";
    std::string reply = test::readFile(*corpus / "jp" / "current-registered-1.txt");
    for (const auto& [from, to] : {std::pair{"JPRS.JP", "NET.JP"}, std::pair{"jprs.jp", "net.jp"}}) {
        for (std::size_t at = reply.find(from); at != std::string::npos; at = reply.find(from, at))
            reply.replace(at, 7, to);
    }
    jprs.on("net.jp", Behaviour::answer(reply));
    add("nagoya-web.net.jp");
    runToEnd();
    EXPECT_EQ(server(0), "whois.jprs.jp");
    EXPECT_EQ(status(0), static_cast<std::int32_t>(LookupStatus::Success));
    EXPECT_EQ(core::fieldText((*table)[0].expiryDate), "2024/02/29");
    EXPECT_EQ(core::fieldText((*table)[0].registrationDate), "2001/02/02");
}

TEST_F(EveryRegistryTest, IanasReferralIsAskedOncePerTldAndKept)
{
    iana.on("zz", Behaviour::answer("domain:       ZZ\nrefer:        whois.nic.zz\n"));
    zz.setDefault(Behaviour::answer("No entries found.\n"));
    add("a.zz");
    add("b.zz");
    runToEnd();
    EXPECT_EQ(status(0), static_cast<std::int32_t>(LookupStatus::NotRegistered));
    EXPECT_EQ(status(1), static_cast<std::int32_t>(LookupStatus::NotRegistered));
    EXPECT_EQ(iana.connectionCount(), 1);
    EXPECT_EQ(zz.connectionCount(), 2);
}

TEST_F(EveryRegistryTest, AHostWhosePort43RefusesIsAskedOverRdapFirstForTheRestOfTheRun)
{
    session.throttleRetryPauses = {10ms, 10ms};
    session.paceStart = 10ms;
    session.paceMax = 20ms;
    denic.setDefault(
        Behaviour::answer("% Error: 55000000002 Connection refused; access control limit exceeded\n"));
    for (const char* name : {"a.de", "b.de", "c.de"})
        rdap.on(rdapRequest(name), Behaviour::answer(httpResponse(404, "")));
    add("a.de");
    add("b.de");
    add("c.de");
    runToEnd();
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(status(i), static_cast<std::int32_t>(LookupStatus::NotRegistered)) << i;
        EXPECT_EQ(core::resultSource((*table)[i]), core::ResultSource::Rdap) << i;
    }
    // The first name paid port 43's retries; the others went to RDAP at once.
    EXPECT_EQ(denic.connectionCount(), 3);
    EXPECT_EQ(rdap.connectionCount(), 3);
}

TEST_F(EveryRegistryTest, ARetryAfterOfADayOrADateIsWaitedNoLongerThanThePacingMaximum)
{
    session.throttleRetryPauses = {10ms, 10ms};
    session.paceStart = 10ms;
    session.paceMax = 50ms;
    rdap.on(rdapRequest("day.xyz"), Behaviour::answer(httpResponse(429, "", "Retry-After: 100000\r\n")));
    rdap.on(rdapRequest("date.xyz"),
            Behaviour::answer(httpResponse(429, "", "Retry-After: Fri, 01 Jan 2100 00:00:00 GMT\r\n")));
    add("day.xyz");
    add("date.xyz");
    runToEnd(); // within its 60 s, not a day
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(status(i), static_cast<std::int32_t>(LookupStatus::Error)) << i;
        EXPECT_EQ(core::errorReasonOf((*table)[i]), static_cast<std::uint8_t>(core::ErrorReason::Throttled))
            << i;
    }
    EXPECT_EQ(rdap.connectionCount(), 6); // each name: its first question and two retries
}

TEST_F(EveryRegistryTest, ThirtyTldsOfTheShippedDataEachAtItsOwnHostWithItsVerdict)
{
    const test::TempDir emptyCache;
    const core::ServiceData shipped =
        core::loadServiceData(core::dataDirFor(nullptr, ZONEDESK_BINARY_DIR), emptyCache.path());
    ASSERT_TRUE(shipped.rdap && shipped.whois) << (shipped.problems.empty() ? "" : shipped.problems.front());
    data = shipped;
    // Fifteen generic TLDs that IANA's bootstrap serves, fifteen country codes of the host table:
    // every RDAP base and WHOIS host they name is routed here, half the names registered.
    const char* generic[] = {"xyz",
                             "app",
                             "dev",
                             "shop",
                             "online",
                             "site",
                             "store",
                             "tech",
                             "blog",
                             "club",
                             "io",
                             "ai",
                             "me",
                             "co",
                             "page"};
    const char* country[] = {
        "de", "uk", "fr", "nl", "be", "ch", "at", "it", "se", "pl", "ru", "kr", "br", "au", "nz"};
    LoopbackWhoisServer whois;
    whois.setDefault(Behaviour::answer("No entries found.\n"));
    for (const auto* list : {&generic, &country}) {
        for (const char* tld : *list) {
            ASSERT_TRUE(endpoints.addRdap(std::string(tld) + "=" + rdap.httpBase()));
            const std::string_view host = data.whois->hostFor(tld);
            if (!host.empty()) {
                ASSERT_TRUE(endpoints.add(std::string(host) + "=" + whois.address()));
            }
        }
    }
    std::vector<std::string> names;
    for (const auto* list : {&generic, &country}) {
        for (const char* tld : *list) {
            for (const char* label : {"taken", "free"})
                names.push_back(std::string(label) + "." + tld);
        }
    }
    for (const std::string& name : names) {
        if (name.starts_with("taken.")) {
            whois.on(name, Behaviour::answer(whoisRecord(name)));
            rdap.on(rdapRequest(name), Behaviour::answer(httpResponse(200, rdapDomain(name))));
        } else {
            rdap.on(rdapRequest(name), Behaviour::answer(httpResponse(404, "")));
        }
        add(name);
    }
    iana.setDefault(Behaviour::answer("refer:        whois.nowhere.example\n"));
    runToEnd();

    for (std::size_t i = 0; i < names.size(); ++i) {
        const core::ServiceChoice choice = core::chooseService(names[i], data);
        const std::string expectedHost =
            choice.first == core::Service::Rdap    ? std::string(core::urlHost(choice.rdapBase))
            : choice.first == core::Service::Whois ? choice.whoisHost
                                                   : std::string(core::IanaWhoisHost);
        EXPECT_EQ(server(i), expectedHost) << names[i];
        EXPECT_EQ(status(i),
                  static_cast<std::int32_t>(names[i].starts_with("taken.") ? LookupStatus::Success
                                                                           : LookupStatus::NotRegistered))
            << names[i] << " at " << server(i);
    }
    EXPECT_EQ(iana.connectionCount(), 0); // the shipped data knows every one of them
    // Nothing fell back: each name had its answer where it was asked first.
    EXPECT_EQ(whois.connectionCount() + rdap.connectionCount(), static_cast<int>(names.size()));
}

} // namespace
} // namespace zonedesk::lookup
