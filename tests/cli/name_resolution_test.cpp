// SPDX-License-Identifier: MIT
// zonedesk-cli lookup where the DNS server never answers: in a network and mount namespace of the
// test's own, whose only interface is loopback and whose /etc/resolv.conf names a server there
// that takes every query and says nothing. No query can leave the namespace.
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/shell_run.h"
#include "tests/support/temp_dir.h"

namespace zonedesk::test {
namespace {

using namespace std::string_literals;

std::string quoted(const std::filesystem::path& path)
{
    return "'" + path.string() + "'";
}

TEST(CliNameResolution, AnUnansweringDnsServerCostsTheConnectLimitAndCtrlCEndsTheWaitAtOnce)
{
    if (runShell("unshare -n -m true 2>/dev/null").exitCode != 0)
        GTEST_SKIP() << "needs a network and mount namespace of its own (root)";
    TempDir dir;
    // The system resolver waits half a minute a query here: far past every limit the run sets.
    const auto resolvConf = dir.write("resolv.conf", "nameserver 127.0.0.1\noptions timeout:30 attempts:1\n");
    const auto asked = dir.path() / "asked";
    const auto jsonl = dir.path() / "out.jsonl";
    const std::string lookup = std::string(ZONEDESK_CLI_PATH) +
                               " lookup example.com --no-history"
                               " --endpoint whois.verisign-grs.com=whois.unanswered.test"
                               " --rdap-endpoint com=https://rdap.unanswered.test/";
    const std::string nowMs = "$(( $(date +%s%N) / 1000000 ))";
    std::string script;
    for (const std::string& line : {
             "set -e"s,
             "ip link set lo up"s,
             "mount --bind " + quoted(resolvConf) + " /etc/resolv.conf",
             ZONEDESK_SILENT_DNS_PATH " " + quoted(asked) + " & dns=$!",
             "trap 'kill $dns' EXIT"s,
             "start=" + nowMs,
             lookup + " --timeout 5 --connect-timeout 1 -j " + quoted(jsonl) + " 2>/dev/null || true",
             "echo limited $(( " + nowMs + " - start ))",
             // Ctrl+C while the host is looked up, under limits that would allow ten minutes.
             "rm -f " + quoted(asked),
             // A script's background job starts with SIGINT ignored; env gives it back.
             "env --default-signal=INT " + lookup +
                 " --timeout 600 --connect-timeout 600 -q >/dev/null 2>&1 & cli=$!",
             "for i in $(seq 400); do [ -e " + quoted(asked) + " ] && break; sleep 0.05; done",
             "start=" + nowMs,
             "kill -INT $cli"s,
             "rc=0; wait $cli || rc=$?"s,
             "echo stopped $rc $(( " + nowMs + " - start ))",
             // Three names of one server: its host is looked up once for the run.
             "rm -f " + quoted(asked),
             lookup + " two.com three.com --timeout 5 --connect-timeout 1 -q || true",
         })
        script += line + "\n";
    dir.write("in-namespace.sh", script);
    const ShellRun run = runShell("unshare -n -m sh " + quoted(dir.path() / "in-namespace.sh"));
    ASSERT_EQ(run.exitCode, 0) << run.out;

    std::istringstream lines(run.out);
    std::string word;
    long limitedMs = -1;
    int stoppedCode = -1;
    long stoppedMs = -1;
    lines >> word >> limitedMs >> word >> stoppedCode >> stoppedMs;
    // Generous, for a slow machine under a sanitizer: each protocol's look-up may take a second
    // here, the system's own wait 30 s.
    EXPECT_GE(limitedMs, 0) << run.out;
    EXPECT_LT(limitedMs, 20'000) << run.out;
    EXPECT_NE(readFile(jsonl).find("\"result\":\"error\",\"error\":\"timed-out\""), std::string::npos)
        << readFile(jsonl);
    EXPECT_EQ(stoppedCode, 130) << run.out;
    EXPECT_GE(stoppedMs, 0) << run.out;
    EXPECT_LT(stoppedMs, 10'000) << run.out;

    // One look-up asks for the IPv4 and the IPv6 addresses, at most two queries.
    std::istringstream queries(readFile(asked));
    int whoisQueries = 0;
    for (std::string name; std::getline(queries, name);)
        whoisQueries += name == "whois.unanswered.test" ? 1 : 0;
    EXPECT_GE(whoisQueries, 1);
    EXPECT_LE(whoisQueries, 2) << readFile(asked);
}

} // namespace
} // namespace zonedesk::test
