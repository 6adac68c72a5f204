// SPDX-License-Identifier: MIT
// zonedesk-cli update-data against a loopback HTTP server standing in for IANA, with its own data
// and cache folders.
#include <string>

#include <gtest/gtest.h>

#include "tests/support/loopback_whois_server.h"
#include "tests/support/shell_run.h"
#include "tests/support/temp_dir.h"

namespace zonedesk::test {
namespace {

const std::string Request = "GET /dns.json HTTP/1.1";

std::string bootstrap(std::string_view publication, std::string_view services)
{
    return R"({"publication": ")" + std::string(publication) + R"(", "services": [)" + std::string(services) +
           "]}";
}

const std::string Shipped =
    bootstrap("2026-07-23T02:00:03Z", R"([["aa", "bb"], ["https://one/"]], [["cc"], ["https://two/"]])");
const std::string Newer =
    bootstrap("2026-08-01T00:00:00Z", R"([["aa"], ["https://one/"]], [["cc", "dd"], ["https://three/"]])");
const std::string NewerHeaders = "ETag: \"v2\"\r\nLast-Modified: Sat, 01 Aug 2026 00:00:00 GMT\r\n";

class UpdateData : public testing::Test
{
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(m_dir.path() / "data");
        m_dir.write("data/rdap-dns.json", Shipped);
        m_server.speakHttp();
    }

    /// The command with the test's folders; stderr goes to err.txt.
    ShellRun update(const std::string& url)
    {
        return runShell("ZONEDESK_DATA_DIR='" + (m_dir.path() / "data").string() + "' XDG_CACHE_HOME='" +
                        (m_dir.path() / "cache").string() + "' " ZONEDESK_CLI_PATH " update-data --url '" +
                        url + "' 2>'" + (m_dir.path() / "err.txt").string() + "'");
    }

    ShellRun update() { return update(m_server.httpBase() + "dns.json"); }

    std::string err() const { return readFile(m_dir.path() / "err.txt"); }

    std::filesystem::path cached() const { return m_dir.path() / "cache" / "zonedesk" / "rdap-dns.json"; }

    std::filesystem::path validators() const
    {
        return m_dir.path() / "cache" / "zonedesk" / "rdap-dns.json.http";
    }

    TempDir m_dir;
    LoopbackWhoisServer m_server;
};

TEST_F(UpdateData, SavesANewerCopyAndSaysWhatChanged)
{
    m_server.on(Request, Behaviour::answer(httpResponse(200, Newer, NewerHeaders)));
    const ShellRun run = update();
    EXPECT_EQ(run.exitCode, 0) << err();
    EXPECT_EQ(run.out,
              "publication 2026-07-23T02:00:03Z -> 2026-08-01T00:00:00Z, saved " + cached().string() +
                  "\n"
                  "added 1: dd\n"
                  "removed 1: bb\n"
                  "moved 1 to another server:\n"
                  "  cc https://two/ -> https://three/\n");
    EXPECT_EQ(readFile(cached()), Newer);
    EXPECT_EQ(readFile(validators()), "ETag: \"v2\"\nLast-Modified: Sat, 01 Aug 2026 00:00:00 GMT\n");
    ASSERT_EQ(m_server.requests().size(), 1U);
    EXPECT_EQ(m_server.requests()[0].find("If-None-Match"), std::string::npos); // nothing cached to ask about
}

TEST_F(UpdateData, UnchangedWhenNotModifiedOrTheSameBytes)
{
    m_server.onSequence(Request,
                        {Behaviour::answer(httpResponse(200, Newer, NewerHeaders)),
                         Behaviour::answer(httpResponse(304, "", NewerHeaders)),
                         Behaviour::answer(httpResponse(200, Newer, "ETag: \"v2\"\r\n"))});
    ASSERT_EQ(update().exitCode, 0) << err();

    const ShellRun notModified = update();
    EXPECT_EQ(notModified.exitCode, 0) << err();
    EXPECT_EQ(notModified.out,
              "unchanged: " + m_server.httpBase() +
                  "dns.json is the cached copy (publication 2026-08-01T00:00:00Z)\n");
    ASSERT_EQ(m_server.requests().size(), 2U);
    EXPECT_NE(m_server.requests()[1].find("If-None-Match: \"v2\"\r\n"), std::string::npos);
    EXPECT_NE(m_server.requests()[1].find("If-Modified-Since: Sat, 01 Aug 2026 00:00:00 GMT\r\n"),
              std::string::npos);

    const ShellRun same = update();
    EXPECT_EQ(same.exitCode, 0) << err();
    EXPECT_EQ(same.out, "unchanged (publication 2026-08-01T00:00:00Z)\n");
    EXPECT_EQ(readFile(cached()), Newer);
    EXPECT_EQ(readFile(validators()), "ETag: \"v2\"\n"); // the server's latest validators, and only those
}

TEST_F(UpdateData, ABrokenDownloadLeavesTheCacheAsItWas)
{
    m_server.onSequence(
        Request,
        {Behaviour::answer(httpResponse(200, Newer, NewerHeaders)),
         Behaviour::answer(httpResponse(200, "<html>maintenance</html>", "")),
         Behaviour::answer(httpResponse(200, R"({"publication": "2026-09-01T00:00:00Z"})", "")),
         Behaviour::answer(httpResponse(500, "", "")),
         Behaviour::answer(httpResponse(200, std::string((4 << 20) + 1, ' '), ""))});
    ASSERT_EQ(update().exitCode, 0) << err();

    for (const std::string_view reason :
         {"not JSON", "no \"services\" list", "HTTP status 500", "larger than"}) {
        const ShellRun run = update();
        EXPECT_EQ(run.exitCode, 2) << reason;
        EXPECT_EQ(run.out, "") << reason;
        EXPECT_NE(err().find(reason), std::string::npos) << err();
        EXPECT_NE(err().find("the cache is as it was"), std::string::npos) << err();
        EXPECT_EQ(readFile(cached()), Newer) << reason;
        EXPECT_EQ(readFile(validators()), "ETag: \"v2\"\nLast-Modified: Sat, 01 Aug 2026 00:00:00 GMT\n");
    }

    const ShellRun refused =
        update("http://127.0.0.1:" + std::to_string(LoopbackWhoisServer::refusedPort()) + "/");
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_EQ(readFile(cached()), Newer);
}

TEST_F(UpdateData, AnAnswerThatWouldLoseDataIsRefused)
{
    const std::string Older = bootstrap("2026-07-01T00:00:00Z", R"([["aa", "bb", "cc"], ["https://old/"]])");
    const std::string NoService = bootstrap("2026-09-01T00:00:00Z", "");
    const std::string NoHttps = bootstrap("2026-09-01T00:00:00Z", R"([["aa", "cc"], ["ftp://one/"]])");

    const struct
    {
        const char* what;
        std::string answer;
        int exitCode;
        const char* says; // on standard error, or standard output when the exit code is 0
    } cases[] = {
        // An older copy is said to be older and never replaces the newer cached one.
        {"older", httpResponse(200, Older, "ETag: \"v0\"\r\n"), 0, "is older than the one in use"},
        // A bootstrap without a usable service would take every TLD's RDAP away.
        {"no service", httpResponse(200, NoService, ""), 2, "no TLD with a usable service URL"},
        {"no https", httpResponse(200, NoHttps, ""), 2, "no TLD with a usable service URL"},
    };

    m_server.on(Request, Behaviour::answer(httpResponse(200, Newer, NewerHeaders)));
    ASSERT_EQ(update().exitCode, 0) << err();
    for (const auto& each : cases) {
        m_server.on(Request, Behaviour::answer(each.answer));
        const ShellRun run = update();
        EXPECT_EQ(run.exitCode, each.exitCode) << each.what << ": " << err();
        EXPECT_NE((each.exitCode == 0 ? run.out : err()).find(each.says), std::string::npos)
            << each.what << ": " << run.out << err();
        EXPECT_EQ(readFile(cached()), Newer) << each.what;
        EXPECT_EQ(readFile(validators()), "ETag: \"v2\"\nLast-Modified: Sat, 01 Aug 2026 00:00:00 GMT\n")
            << each.what;
    }

    // "Not modified" to a request that asked nothing leaves nothing to use: an error.
    std::filesystem::remove(cached());
    m_server.on(Request, Behaviour::answer(httpResponse(304, "", "")));
    const ShellRun unasked = update();
    EXPECT_EQ(unasked.exitCode, 2);
    EXPECT_NE(err().find("304 (not modified) to a request for the whole file"), std::string::npos) << err();
}

TEST_F(UpdateData, ARedirectAwayFromHttpsIsNotFollowed)
{
    m_server.on(
        Request,
        Behaviour::answer(httpResponse(302, "", "Location: " + m_server.httpBase() + "moved.json\r\n")));
    m_server.on("GET /moved.json HTTP/1.1", Behaviour::answer(httpResponse(200, Newer, "")));
    const ShellRun run = update();
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(err().find("redirected to a URL that is not https, or more than three times"),
              std::string::npos)
        << err();
    EXPECT_EQ(m_server.connectionCount(), 1);
    EXPECT_FALSE(std::filesystem::exists(cached()));

    // A URL that is no web address at all is refused as such, before anything is asked.
    EXPECT_EQ(update("file:///etc/hostname").exitCode, 2);
    EXPECT_NE(err().find("not an http or https URL"), std::string::npos) << err();
}

TEST_F(UpdateData, ABrokenCachedCopyIsReplacedWithoutAConditionalRequest)
{
    std::filesystem::create_directories(cached().parent_path());
    m_dir.write("cache/zonedesk/rdap-dns.json", "{\"publication\": \"2026-08-01T00:00:00Z\", \"serv");
    m_dir.write("cache/zonedesk/rdap-dns.json.http", "ETag: \"v1\"\n");
    m_server.on(Request, Behaviour::answer(httpResponse(200, Newer, NewerHeaders)));
    const ShellRun run = update();
    EXPECT_EQ(run.exitCode, 0) << err();
    EXPECT_NE(err().find("ignored the cached copy"), std::string::npos) << err();
    ASSERT_EQ(m_server.requests().size(), 1U);
    EXPECT_EQ(m_server.requests()[0].find("If-None-Match"), std::string::npos);
    EXPECT_EQ(readFile(cached()), Newer);
    EXPECT_NE(run.out.find("added 1: dd"), std::string::npos) << run.out; // against the shipped copy
}

} // namespace
} // namespace zonedesk::test
