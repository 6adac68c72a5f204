// SPDX-License-Identifier: MIT
#include "core/rdap_bootstrap.h"

#include <string>

#include <gtest/gtest.h>

#include "core/data_files.h"
#include "core/whois_servers.h"
#include "tests/support/temp_dir.h"

namespace zonedesk::core {
namespace {

using test::TempDir;

std::string bootstrapText(std::string_view publication, std::string_view services)
{
    return R"({"version": "1.0", "publication": ")" + std::string(publication) + R"(", "services": [)" +
           std::string(services) + "]}";
}

RdapBootstrap parsed(std::string_view text)
{
    std::string error;
    auto bootstrap = RdapBootstrap::parse(text, error);
    EXPECT_TRUE(bootstrap) << error;
    return bootstrap ? *bootstrap : RdapBootstrap();
}

TEST(RdapBootstrap, PicksEachServicesBaseAndMatchesTheLongestEntry)
{
    const RdapBootstrap bootstrap =
        parsed(bootstrapText("2026-07-23T02:00:03Z",
                             R"([["Alpha", "beta"], ["http://a.example/", "https://a.example/rdap/"]],
                                                            [["gamma"], ["http://plain.example/v1"]],
                                                            [["uk"], ["https://uk.example/"]],
                                                            [["co.uk"], ["https://co-uk.example/"]],
                                                            [["beta"], ["https://second.example/"]],
                                                            [["delta"], ["ftp://files.example/", "https://"]],
                                                            [["eps"], ["https://user:pw@e.example/"]],
                                                            [["zeta"], ["https://z\u202eelpmaxe.com/"]],
                                                            [["eta"], ["https://h\u0085.example/", "https://h\u0007.example/"]],
                                                            [["theta"], ["https://[::1]:8443/rdap", "https://x.example:99999/"]])"));
    EXPECT_EQ(bootstrap.publication(), "2026-07-23T02:00:03Z");
    EXPECT_EQ(bootstrap.baseFor("alpha"), "https://a.example/rdap/"); // https wins over an earlier http
    EXPECT_EQ(bootstrap.baseFor("ALPHA"), "https://a.example/rdap/");
    EXPECT_EQ(bootstrap.baseFor("beta"), "https://a.example/rdap/"); // an entry listed again keeps its first
    // No usable URL, no service: plain http, none at all, a user and password, a host that is no
    // host name (a bidirectional override, a C1 or C0 control).
    for (const char* tld : {"gamma", "delta", "eps", "zeta", "eta"})
        EXPECT_EQ(bootstrap.baseFor(tld), "") << tld;
    EXPECT_EQ(bootstrap.baseFor("theta"), "https://[::1]:8443/rdap/");
    EXPECT_EQ(bootstrap.baseFor("example.co.uk"), "https://co-uk.example/");
    EXPECT_EQ(bootstrap.baseFor("www.example.uk."), "https://uk.example/");
    EXPECT_EQ(bootstrap.baseFor("example.xuk"), "");
    EXPECT_EQ(bootstrap.baseFor(""), "");
    EXPECT_EQ(bootstrap.bases().size(), 5U);
    EXPECT_TRUE(bootstrap.bases().contains("alpha"));
}

void expectRefused(const std::string& text, std::string_view reason)
{
    std::string error;
    EXPECT_FALSE(RdapBootstrap::parse(text, error)) << text;
    EXPECT_NE(error.find(reason), std::string::npos) << text << " -> " << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
}

std::string withServices(std::string_view services)
{
    return bootstrapText("2026-07-23T02:00:03Z", services);
}

TEST(RdapBootstrap, RefusesWhatIsNotABootstrapWithOneLineReasons)
{
    expectRefused("", "not JSON");
    expectRefused("{\"publication\": ", "not JSON (error at byte");
    expectRefused("[1, 2]", "not a JSON object");
    expectRefused(R"({"services": []})", "no \"publication\"");
    expectRefused(R"({"publication": "23 July 2026", "services": []})", "no \"publication\"");
    expectRefused(R"({"publication": "2026-07-23T02:00:03", "services": []})", "no \"publication\"");
    expectRefused(R"({"publication": "2026-07-23T02:00:03Z"})", "no \"services\" list");
    expectRefused(R"({"publication": "2026-07-23T02:00:03Z", "services": {}})", "no \"services\" list");
    expectRefused(withServices(R"([["com"]])"), "services[0] is not a pair");
    expectRefused(withServices(R"([["com"], ["https://x/"]], 7)"), "services[1] is not a pair");
    expectRefused(withServices(R"([["com", 5], ["https://x/"]])"), "services[0] has an entry");
    expectRefused(withServices(R"([["a b"], ["https://x/"]])"), "services[0] has an entry");
    expectRefused(withServices(R"([["-com"], ["https://x/"]])"), "services[0] has an entry");
    expectRefused(withServices(R"([["a..b"], ["https://x/"]])"), "services[0] has an entry");
    expectRefused(withServices(R"([["com"], [null]])"), "services[0] has a URL");
    expectRefused(withServices(R"([["com"], [["https://x/"]]])"), "nested deeper");
    expectRefused(std::string(100'000, '[') + std::string(100'000, ']'), "nested deeper");
}

TEST(RdapBootstrap, HoldsItsBoundsAgainstHugeInput)
{
    std::string error;
    const std::string huge(MaxBootstrapBytes + 1, ' ');
    EXPECT_FALSE(RdapBootstrap::parse(huge, error));
    EXPECT_NE(error.find("larger than"), std::string::npos);

    std::string many;
    for (std::size_t i = 0; i <= MaxBootstrapEntries; ++i)
        many += std::string(i == 0 ? "" : ",") + "\"t" + std::to_string(i) + "\"";
    EXPECT_FALSE(RdapBootstrap::parse(
        bootstrapText("2026-07-23T02:00:03Z", "[[" + many + "], [\"https://x/\"]]"), error));
    EXPECT_NE(error.find("more than"), std::string::npos);

    std::string emptyServices;
    for (std::size_t i = 0; i < 2 * MaxBootstrapEntries; ++i) // three lists each, no entry
        emptyServices += std::string(i == 0 ? "" : ",") + "[[],[]]";
    EXPECT_FALSE(RdapBootstrap::parse(bootstrapText("2026-07-23T02:00:03Z", emptyServices), error));
    EXPECT_NE(error.find("JSON values"), std::string::npos) << error;

    const std::string longUrl = "https://" + std::string(MaxBootstrapString, 'u') + "/";
    EXPECT_FALSE(RdapBootstrap::parse(
        bootstrapText("2026-07-23T02:00:03Z", R"([["com"], [")" + longUrl + "\"]]"), error));
}

TEST(RdapBootstrap, PublicationsCompareByTheSecond)
{
    EXPECT_TRUE(publishedLater("2026-07-23T02:00:04Z", "2026-07-23T02:00:03Z"));
    EXPECT_TRUE(publishedLater("2027-01-01T00:00:00Z", "2026-12-31T23:59:59.999Z"));
    EXPECT_FALSE(publishedLater("2026-07-23T02:00:03Z", "2026-07-23T02:00:03Z"));
    EXPECT_FALSE(publishedLater("2026-07-23T02:00:03.9Z", "2026-07-23T02:00:03Z"));
    EXPECT_FALSE(publishedLater("2026-03-23T00:00:00Z", "2026-07-23T02:00:03Z"));
}

TEST(RdapBootstrap, ComparisonNamesAddedRemovedAndMovedEntries)
{
    const RdapBootstrap before = parsed(bootstrapText(
        "2026-01-01T00:00:00Z", R"([["aa", "bb"], ["https://one/"]], [["cc"], ["https://two/"]])"));
    const RdapBootstrap after = parsed(bootstrapText(
        "2026-02-01T00:00:00Z", R"([["aa"], ["https://one/"]], [["cc", "dd", "ee"], ["https://three/"]])"));
    const BootstrapChanges changes = compareBootstraps(before, after);
    EXPECT_EQ(changes.added, (std::vector<std::string>{"dd", "ee"}));
    EXPECT_EQ(changes.removed, (std::vector<std::string>{"bb"}));
    EXPECT_EQ(changes.moved, (std::vector<std::string>{"cc"}));
    EXPECT_TRUE(compareBootstraps(after, after).empty());
}

TEST(RdapBootstrap, TheShippedCopyReadsWholeAndAgreesWithTheTenRegistries)
{
    std::string error;
    const auto shipped =
        RdapBootstrap::load(dataDirFor(nullptr, ZONEDESK_BINARY_DIR) / BootstrapFileName, error);
    ASSERT_TRUE(shipped) << error;
    EXPECT_EQ(shipped->publication(), "2026-07-23T02:00:03Z");
    EXPECT_EQ(shipped->bases().size(), 1198U); // 1,200 TLDs; .kg and .mg name only plain http
    EXPECT_EQ(shipped->baseFor("example.kg"), "");
    for (const char* name : {"example.com",
                             "example.net",
                             "example.org",
                             "example.info",
                             "example.biz",
                             "example.tv",
                             "example.cc"})
        EXPECT_EQ(shipped->baseFor(name), rdapBaseFor(name)) << name;
    for (const char* name : {"example.cn", "example.jp", "example.hk", "example.edu"})
        EXPECT_EQ(shipped->baseFor(name), "") << name;
    for (const auto& [tld, base] : shipped->bases())
        EXPECT_TRUE(base.starts_with("https://")) << tld;
}

class NewestBootstrap : public testing::Test
{
protected:
    std::filesystem::path write(std::string_view name, std::string_view publication, std::string_view base)
    {
        return m_dir.write(name,
                           bootstrapText(publication, R"([["example"], [")" + std::string(base) + "\"]]"));
    }

    TempDir m_dir;
};

TEST_F(NewestBootstrap, TheCachedCopyWinsOnlyWhenPublishedLater)
{
    const auto shipped = write("shipped.json", "2026-07-23T02:00:03Z", "https://shipped/");
    const auto later = write("later.json", "2026-08-01T00:00:00Z", "https://later/");
    const auto older = write("older.json", "2026-03-01T00:00:00Z", "https://older/");
    const auto same = write("same.json", "2026-07-23T02:00:03Z", "https://same/");

    const BootstrapChoice fromLater = loadNewestBootstrap(shipped, later);
    ASSERT_TRUE(fromLater.bootstrap);
    EXPECT_EQ(fromLater.bootstrap->baseFor("example"), "https://later/");
    EXPECT_EQ(fromLater.source, later);
    EXPECT_EQ(fromLater.cacheNote, "");

    for (const auto& cached : {older, same, m_dir.path() / "missing.json"}) {
        const BootstrapChoice choice = loadNewestBootstrap(shipped, cached);
        ASSERT_TRUE(choice.bootstrap);
        EXPECT_EQ(choice.bootstrap->baseFor("example"), "https://shipped/") << cached;
        EXPECT_EQ(choice.source, shipped);
        EXPECT_EQ(choice.cacheNote, "") << cached;
    }
}

TEST_F(NewestBootstrap, ABrokenCachedCopyIsIgnoredWithItsReason)
{
    const auto shipped = write("shipped.json", "2026-07-23T02:00:03Z", "https://shipped/");
    const auto broken = m_dir.write("broken.json", "{\"publication\": \"2099-01-01T00:00:00Z\", \"serv");
    const BootstrapChoice choice = loadNewestBootstrap(shipped, broken);
    ASSERT_TRUE(choice.bootstrap);
    EXPECT_EQ(choice.source, shipped);
    EXPECT_NE(choice.cacheNote.find(broken.string() + ": not JSON"), std::string::npos) << choice.cacheNote;

    const BootstrapChoice folder = loadNewestBootstrap(shipped, m_dir.path());
    ASSERT_TRUE(folder.bootstrap);
    EXPECT_NE(folder.cacheNote.find("not a regular file"), std::string::npos) << folder.cacheNote;
}

TEST_F(NewestBootstrap, ABrokenShippedCopyGivesWayToAnyGoodCachedOne)
{
    const auto broken = m_dir.write("shipped.json", "[]");
    const auto older = write("older.json", "2020-01-01T00:00:00Z", "https://older/");
    const BootstrapChoice choice = loadNewestBootstrap(broken, older);
    ASSERT_TRUE(choice.bootstrap);
    EXPECT_EQ(choice.source, older);
    EXPECT_EQ(choice.error, "");

    const BootstrapChoice neither = loadNewestBootstrap(broken, m_dir.path() / "missing.json");
    EXPECT_FALSE(neither.bootstrap);
    EXPECT_EQ(neither.error, broken.string() + ": not a JSON object");
}

} // namespace
} // namespace zonedesk::core
