// SPDX-License-Identifier: MIT
// The referral against a loopback WHOIS server standing in for whois.iana.org, with the clock
// passed in, so that the 30 days of the cache pass without waiting.
#include "lookup/iana_referral.h"

#include <chrono>
#include <stop_token>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/loopback_whois_server.h"
#include "tests/support/temp_dir.h"

namespace zonedesk::lookup {
namespace {

using namespace std::chrono_literals;
using test::Behaviour;
using test::LoopbackWhoisServer;
using test::readFile;
using test::TempDir;

const std::chrono::system_clock::time_point Now{std::chrono::seconds(1'785'000'000)};

ExchangeOptions quickSession()
{
    ExchangeOptions session;
    session.connectTimeout = 500ms;
    session.connectBackoff = 10ms;
    session.readTimeout = 300ms;
    session.exchangeLimit = 5s;
    return session;
}

EndpointOverrides routedTo(const std::string& address)
{
    EndpointOverrides endpoints;
    EXPECT_TRUE(endpoints.add(std::string(IanaWhoisHost) + "=" + address));
    return endpoints;
}

class IanaReferral : public testing::Test
{
protected:
    Referral ask(std::string_view tld, std::chrono::system_clock::time_point now = Now)
    {
        return ianaReferral(tld, cacheFile(), routedTo(m_server.address()), quickSession(), now, {});
    }

    std::filesystem::path cacheFile() const { return m_dir.path() / "cache" / ReferralCacheFileName; }

    LoopbackWhoisServer m_server;
    TempDir m_dir;
};

TEST(ReferralHost, ReferLineFirstThenWhoisLine)
{
    EXPECT_EQ(referralHost("% IANA WHOIS server\n\nrefer:        whois.nic.google\n\ndomain:       DEV\n"
                           "whois:        whois.other.example\n"),
              "whois.nic.google");
    EXPECT_EQ(referralHost("domain: MIL\r\nWHOIS:  Whois.NIC.mil \r\n"), "whois.nic.mil");
    EXPECT_EQ(referralHost("domain: MIL\nstatus: ACTIVE\n"), "");
    EXPECT_EQ(referralHost("refer: " + std::string(48, 'h') + ".org\nwhois: whois.fits.org\n"), "");
    EXPECT_EQ(referralHost("refer: not a host\n"), "");
    // IANA's own server knows TLDs, not domains; an address is no host name.
    EXPECT_EQ(referralHost("refer: whois.iana.org\ndomain: XX\n"), "");
    EXPECT_EQ(referralHost("refer: 192.0.2.1\n"), "");
    EXPECT_EQ(referralHost("whois: 10.0.0.1\n"), "");
    EXPECT_EQ(referralHost(""), "");
}

TEST_F(IanaReferral, AsksOnceAndAnswersFromTheCacheFor30Days)
{
    m_server.on("dev", Behaviour::answer("refer:        whois.nic.google\n\ndomain:       DEV\n"));
    const Referral first = ask("dev");
    EXPECT_TRUE(first.answered);
    EXPECT_FALSE(first.fromCache);
    EXPECT_EQ(first.host, "whois.nic.google");
    EXPECT_EQ(first.cacheError, "");
    EXPECT_EQ(m_server.requests(), (std::vector<std::string>{"dev\r\n"}));
    EXPECT_EQ(readFile(cacheFile()), "dev\twhois.nic.google\t1785000000\n");

    const Referral cached = ask("dev", Now + ReferralLifetime - 1s);
    EXPECT_TRUE(cached.answered);
    EXPECT_TRUE(cached.fromCache);
    EXPECT_EQ(cached.host, "whois.nic.google");
    EXPECT_EQ(m_server.connectionCount(), 1);

    const Referral stale = ask("dev", Now + ReferralLifetime);
    EXPECT_FALSE(stale.fromCache);
    EXPECT_EQ(m_server.connectionCount(), 2);

    // An answer dated after the clock (a clock set back) is not trusted either.
    const Referral early = ask("dev", Now - 1h);
    EXPECT_FALSE(early.fromCache);
    EXPECT_EQ(m_server.connectionCount(), 3);
}

TEST_F(IanaReferral, NoHostIsAnAnswerAndIsKept)
{
    m_server.on("mil", Behaviour::answer("domain:       MIL\nstatus:       ACTIVE\n"));
    const Referral none = ask("mil");
    EXPECT_TRUE(none.answered);
    EXPECT_EQ(none.host, "");
    const Referral again = ask("mil", Now + 1h);
    EXPECT_TRUE(again.answered);
    EXPECT_TRUE(again.fromCache);
    EXPECT_EQ(again.host, "");
    EXPECT_EQ(m_server.connectionCount(), 1);
}

TEST_F(IanaReferral, AFailedOrStoppedExchangeIsNotKept)
{
    const auto refused = "127.0.0.1:" + std::to_string(LoopbackWhoisServer::refusedPort());
    const Referral failed = ianaReferral("dev", cacheFile(), routedTo(refused), quickSession(), Now, {});
    EXPECT_FALSE(failed.answered);
    EXPECT_EQ(failed.reason, core::ErrorReason::ConnectFailed);

    m_server.on("empty", Behaviour::closeAtOnce());
    EXPECT_EQ(ask("empty").reason, core::ErrorReason::EmptyReply);

    std::stop_source stop;
    stop.request_stop();
    const Referral stopped =
        ianaReferral("dev", cacheFile(), routedTo(m_server.address()), quickSession(), Now, stop.get_token());
    EXPECT_TRUE(stopped.stopped);
    EXPECT_FALSE(stopped.answered);
    EXPECT_FALSE(std::filesystem::exists(cacheFile()));
}

TEST_F(IanaReferral, OnlyIanasRecordOfTheTldIsKept)
{
    using core::ErrorReason;
    // UTF-16 is read as text: this one is another TLD's record.
    constexpr char Utf16[] = "d\0o\0m\0a\0i\0n\0:\0 \0Y\0Y\0\n\0r\0e\0f\0e\0r\0:\0 \0w\0.\0y\0y\0\n\0";
    const std::string utf16(Utf16, sizeof(Utf16) - 1);

    const struct
    {
        const char* tld;
        std::string answer;
        ErrorReason reason;
    } hostile[] = {
        {"xa", "% Too many requests, try again later\n", ErrorReason::Throttled},
        {"xb", "refer: whois.xb\n" + std::string(2 * MaxReferralReplyBytes, 'x'), ErrorReason::Unrecognised},
        {"xx", utf16, ErrorReason::Unrecognised},
        {"xc", "domain: XC\rrefer: whois.xc\r", ErrorReason::Unrecognised}, // CR-only line ends
        {"xd", "domain: OTHER\nrefer: whois.xd\n", ErrorReason::Unrecognised},
        {"xe", "0 objects\n", ErrorReason::Unrecognised},
    };

    for (const auto& each : hostile) {
        m_server.onSequence(each.tld,
                            {Behaviour::answer(each.answer),
                             Behaviour::answer("domain: " + std::string(each.tld) + "\nrefer: whois.ok\n")});
        const Referral failed = ask(each.tld);
        EXPECT_FALSE(failed.answered) << each.tld;
        EXPECT_EQ(failed.reason, each.reason) << each.tld;
        EXPECT_FALSE(std::filesystem::exists(cacheFile())) << each.tld;
        // IANA answering again is heard at once, not a month later.
        const Referral later = ask(each.tld, Now + 1h);
        EXPECT_FALSE(later.fromCache) << each.tld;
        EXPECT_EQ(later.host, "whois.ok") << each.tld;
        std::filesystem::remove(cacheFile());
    }
}

TEST_F(IanaReferral, ATldThatIsNotALabelIsNeverSent)
{
    for (const char* tld : {"", "DEV", "dev\r\nexample", "co.uk", "-x"}) {
        const Referral referral = ask(tld);
        EXPECT_FALSE(referral.answered) << tld;
        EXPECT_EQ(referral.reason, core::ErrorReason::BadName) << tld;
    }
    EXPECT_EQ(m_server.connectionCount(), 0);
}

TEST_F(IanaReferral, TheNextWriteDropsUnreadableAndStaleLines)
{
    const std::string fresh = std::to_string(1'785'000'000 - 3600);
    const std::string stale = std::to_string(1'785'000'000 - 31 * 24 * 3600);
    std::filesystem::create_directories(cacheFile().parent_path());
    m_dir.write("cache/iana-referrals.tsv",
                "aa\twhois.aa\t" + fresh + "\n" + "bb\twhois.bb\t" + stale + "\n" + "junk line\n" +
                    "cc\tnot a host\t" + fresh + "\n" + "dd\twhois.dd\t12x\n" + "ee\t\t" + fresh + "\n");
    m_server.on("ff", Behaviour::answer("domain: FF\nwhois: whois.ff\n"));
    EXPECT_TRUE(ask("aa").fromCache);
    EXPECT_TRUE(ask("ee").fromCache);
    EXPECT_EQ(ask("ff").host, "whois.ff");
    EXPECT_EQ(readFile(cacheFile()),
              "aa\twhois.aa\t" + fresh + "\n" + "ee\t\t" + fresh + "\n" + "ff\twhois.ff\t1785000000\n");
    EXPECT_EQ(m_server.connectionCount(), 1);
}

TEST_F(IanaReferral, AnUnwritableCacheLeavesTheAnswerStanding)
{
    m_server.on("dev", Behaviour::answer("refer: whois.nic.google\ndomain: DEV\n"));
    const auto blocker = m_dir.write("file", "");
    const Referral referral = ianaReferral(
        "dev", blocker / ReferralCacheFileName, routedTo(m_server.address()), quickSession(), Now, {});
    EXPECT_TRUE(referral.answered);
    EXPECT_EQ(referral.host, "whois.nic.google");
    EXPECT_NE(referral.cacheError.find("cannot make the folder"), std::string::npos) << referral.cacheError;
}

// A server that sends without end is read to the referral's own cap, far below a lookup's: the
// exchange ends there instead of waiting for the server to close.
TEST_F(IanaReferral, ReadsNoMoreThanItsReplyCap)
{
    m_server.on("big",
                Behaviour::stallAfter("domain: BIG\nrefer: whois.big\n" +
                                      std::string(2 * MaxReferralReplyBytes, 'x')));
    ExchangeOptions patient = quickSession();
    patient.readTimeout = 30s;
    patient.exchangeLimit = 60s;
    const Referral referral =
        ianaReferral("big", cacheFile(), routedTo(m_server.address()), patient, Now, {});
    EXPECT_TRUE(referral.answered);
    EXPECT_EQ(referral.host, "whois.big");
}

} // namespace
} // namespace zonedesk::lookup
