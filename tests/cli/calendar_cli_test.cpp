// SPDX-License-Identifier: MIT
// zonedesk-cli calendar: a list looked up against a loopback registry, the history's last run,
// and what it refuses.
#include <string>

#include <gtest/gtest.h>

#include "tests/support/loopback_whois_server.h"
#include "tests/support/shell_run.h"
#include "tests/support/temp_dir.h"

namespace zonedesk::test {
namespace {

const std::string Cli = ZONEDESK_CLI_PATH;

std::string comRecord(const std::string& expiry, const std::string& registrar)
{
    return "Domain Name: A.COM\r\nRegistrar: " + registrar +
           "\r\nCreation Date: 2001-01-01T00:00:00Z\r\n"
           "Registry Expiry Date: " +
           expiry + "T04:00:00Z\r\n";
}

/// Runs `calendar ARGS` with .com routed to `server`; standard error goes to `err`.
ShellRun
calendar(const LoopbackWhoisServer& server, const std::string& args, const std::filesystem::path& err)
{
    return runShell("ZONEDESK_WHOIS_ENDPOINTS='whois.verisign-grs.com=" + server.address() +
                    "' ZONEDESK_RDAP_ENDPOINTS='" + rdapNowhere() + "' " + Cli + " calendar " + args +
                    " 2>'" + err.string() + "'");
}

std::size_t count(const std::string& text, const std::string& what)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

TEST(CliCalendar, WritesTheLookedUpNamesAndTheHistorysLastRunAndRefusesWhatItCannotDo)
{
    TempDir dir;
    const auto err = dir.path() / "err.txt";
    const std::string db = " --db '" + (dir.path() / "h.sqlite3").string() + "'";
    LoopbackWhoisServer server;
    server.on("a.com", Behaviour::answer(comRecord("2027-05-14", "Comma, Semicolon; Ltd")));
    server.on("b.com", Behaviour::answer("No match for \"B.COM\".\r\n"));
    server.on("c.com", Behaviour::answer(""));

    const auto out = dir.path() / "renewals.ics";
    const ShellRun looked = calendar(server, "-o '" + out.string() + "'" + db + " a.com b.com c.com", err);
    EXPECT_EQ(looked.exitCode, 4) << readFile(err); // c.com failed
    EXPECT_NE(
        readFile(err).find("wrote 1 event to " + out.string() + "; 2 names without a known expiry left out"),
        std::string::npos)
        << readFile(err);
    const std::string file = readFile(out);
    EXPECT_EQ(count(file, "BEGIN:VEVENT"), 1U) << file;
    for (const char* line : {"UID:a.com@zonedesk\r\n",
                             "DTSTART;VALUE=DATE:20270514\r\n",
                             "Comma\\, Semicolon\\; Ltd",
                             "TRIGGER:-P30D"})
        EXPECT_NE(file.find(line), std::string::npos) << line;

    // The file is replaced whole; quiet says nothing when no name is left out.
    EXPECT_EQ(calendar(server, "-q --warn-days 7 -o '" + out.string() + "'" + db + " a.com", err).exitCode,
              0);
    EXPECT_EQ(readFile(err), "");
    EXPECT_EQ(count(readFile(out), "TRIGGER:"), 1U);
    EXPECT_NE(readFile(out).find("TRIGGER:-P7D"), std::string::npos);

    // The history's last run is the one above: a.com alone, no lookup made.
    server.on("a.com", Behaviour::answer(""));
    const ShellRun history = calendar(server, "--from-history" + db, err);
    EXPECT_EQ(history.exitCode, 0) << readFile(err);
    EXPECT_EQ(count(history.out, "BEGIN:VEVENT"), 1U) << history.out;
    EXPECT_NE(history.out.find("UID:a.com@zonedesk\r\n"), std::string::npos);
    EXPECT_NE(readFile(err).find("wrote 1 event to standard output; 0 names"), std::string::npos);

    const struct
    {
        std::string args;
        int code;
        std::string said;
    } refusals[] = {
        {"--from-history --db '" + (dir.path() / "new.sqlite3").string() + "'", 2, "holds no run yet"},
        {"--from-history a.com" + db, 1, "not both"},
        {"-o '" + dir.path().string() + "' a.com" + db, 2, "it is a folder"},
        {"--from-history -o '" + out.string() + "/x.ics'" + db, 2, "Not a directory"},
        {db, 1, "no names"},
    };

    for (const auto& refusal : refusals) {
        const ShellRun run = calendar(server, refusal.args, err);
        EXPECT_EQ(run.exitCode, refusal.code) << refusal.args;
        EXPECT_NE(readFile(err).find(refusal.said), std::string::npos)
            << refusal.args << ": " << readFile(err);
        EXPECT_EQ(run.out, "") << refusal.args;
    }
}

} // namespace
} // namespace zonedesk::test
