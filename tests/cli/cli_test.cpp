// SPDX-License-Identifier: MIT
// Runs the built zonedesk-cli as a user would and checks its output and exit codes.
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include <sys/wait.h>

#include <gtest/gtest.h>

#include "core/calendar_date.h"
#include "tests/support/data_home.h"
#include "tests/support/loopback_whois_server.h"
#include "tests/support/shell_run.h"
#include "tests/support/temp_dir.h"

#include <nlohmann/json.hpp>

namespace zonedesk::test {
namespace {

using CliRun = ShellRun;

// No run of these tests adds to the user's own history.
const bool dataHomeIsolated = [] {
    isolateDataHome();
    return true;
}();

/// Runs the CLI with `args` (already shell-quoted); stderr goes to `errFile`, `environment` is a
/// prefix of VAR=value words.
CliRun runCli(const std::string& args,
              const std::filesystem::path& errFile = "/dev/null",
              const std::string& environment = "")
{
    return runShell(environment + ZONEDESK_CLI_PATH + " " + args + " 2>'" + errFile.string() + "'");
}

std::string quoted(const std::filesystem::path& path)
{
    return "'" + path.string() + "'";
}

TEST(CliImport, PrintsTheTableInUtf8AndASummary)
{
    TempDir dir;
    const auto list = dir.write("list.txt", "Example.COM\r\n\xD6\xD0\xCE\xC4.cn\r\nname.sg\r\n");
    const CliRun run = runCli("import " + quoted(list), dir.path() / "err.txt");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out,
              "0\twhois.verisign-grs.com\texample.com\n"
              "1\twhois.cnnic.cn\t\xE4\xB8\xAD\xE6\x96\x87.cn\n"
              "2\t\tname.sg\n");
    EXPECT_NE(readFile(dir.path() / "err.txt").find("imported 3 domains"), std::string::npos);
}

TEST(CliImport, ReportsNamesLeftOutByReasonAndTheEncoding)
{
    TempDir dir;
    const auto list = dir.write("list.txt",
                                std::string(50, 'x') + ".com\nok.com\ntwo words.com\n"
                                                       "\xE4\xBE\x8B\xE5\xAD\x90.jp\n\nlate.com\n");
    const CliRun run = runCli("import " + quoted(list), dir.path() / "err.txt");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "0\twhois.verisign-grs.com\tok.com\n1\twhois.jprs.jp\t\xE4\xBE\x8B\xE5\xAD\x90.jp\n");
    EXPECT_EQ(
        readFile(dir.path() / "err.txt"),
        "imported 2 domains (UTF-8); left out: 1 longer than 40 bytes, 1 a blank inside; the list ended at "
        "the empty line 5, 1 non-empty line after it not imported\n");

    const CliRun forced = runCli("import --encoding gbk " + quoted(list), dir.path() / "err.txt");
    EXPECT_EQ(forced.exitCode, 0);
    EXPECT_NE(readFile(dir.path() / "err.txt").find("(GBK)"), std::string::npos);
    EXPECT_EQ(runCli("import --encoding latin1 " + quoted(list)).exitCode, 1);
}

// Whatever the input, the import holds a few buffers beside the table: an address-space limit far
// below the input's size proves it, and nothing hangs.
TEST(CliImport, HostileInputsStayWithinMemoryAndTime)
{
    TempDir dir;
    const auto oneLine = dir.path() / "one-line.txt";
    ASSERT_EQ(std::system(("(echo a.com; head -c 100000000 /dev/zero | tr '\\0' x; echo; echo b.com) > " +
                           quoted(oneLine))
                              .c_str()),
              0);
#ifdef __SANITIZE_ADDRESS__
    const std::string limit; // AddressSanitizer reserves terabytes of address space up front
#else
    // KiB: the 7.6 MiB table, the libraries' mapped code and data, and 32 MiB more.
    const std::string limit = "ulimit -v 77824; ";
#endif
    const auto err = dir.path() / "err.txt";

    EXPECT_EQ(runShell(limit + ZONEDESK_CLI_PATH + " import " + quoted(oneLine) + " 2>" + quoted(err)).out,
              "0\twhois.verisign-grs.com\ta.com\n");
    EXPECT_NE(readFile(err).find("1 a line too long to be a name; reading stopped after 64 MiB"),
              std::string::npos);

    const CliRun zeros = runShell(limit + ZONEDESK_CLI_PATH + " import - < /dev/zero 2>" + quoted(err));
    EXPECT_EQ(zeros.exitCode, 0);
    EXPECT_NE(readFile(err).find("reading stopped at a NUL byte: not a text list"), std::string::npos);

    const CliRun device = runShell(limit + ZONEDESK_CLI_PATH + " import /dev/zero 2>" + quoted(err));
    EXPECT_EQ(device.exitCode, 2);
    EXPECT_NE(readFile(err).find("is not a regular file"), std::string::npos);

    const CliRun stream =
        runShell("printf 'a.com\\rb.net' | " + std::string(ZONEDESK_CLI_PATH) + " import - 2>/dev/null");
    EXPECT_EQ(stream.out, "0\twhois.verisign-grs.com\ta.com\n1\twhois.verisign-grs.com\tb.net\n");
}

TEST(CliExport, WritesTheCsvWithoutLookups)
{
    TempDir dir;
    const auto list = dir.write("list.txt", "a.org\n");
    const auto out = dir.path() / "out.csv";
    EXPECT_EQ(runCli("export " + quoted(list) + " -o " + quoted(out)).exitCode, 0);
    EXPECT_EQ(readFile(out),
              "\"whois.publicinterestregistry.org\",\"a.org\",\"\xCE\xB4\xB2\xE9\xD1\xAF\","
              "\"\",\"\",\"\",\"\",\"\"\r\n"); // 未查询: not looked up, though it has a server
}

TEST(CliParse, PrintsTheParsedFieldsAsLinesOrJson)
{
    TempDir dir;
    const auto reply = dir.write("reply.txt",
                                 "Registrant Name: \xE5\xBC\xA0\xE4\xB8\x89\nAdministrative Email: a@b.cn\n"
                                 "Sponsoring Registrar: R\"1\nName Server:x\nExpiration Date: 2030-01-01\n");
    const CliRun lines = runCli("parse --server whois.cnnic.cn " + quoted(reply));
    EXPECT_EQ(lines.exitCode, 0);
    EXPECT_EQ(lines.out,
              "status\t1\n"
              "statusText\t\xE6\x88\x90\xE5\x8A\x9F\n"
              "expiryDate\t2030-01-01\n"
              "registrationDate\t\n"
              "updatedDate\tN/A\n"
              "owner\t\xE5\xBC\xA0\xE4\xB8\x89\n"
              "email\ta@b.cn\n"
              "registrar\tR\"1\n"
              "statuses\t\n"
              "nameServers\t\n"
              "dnssec\t\n"
              "error\t\n"
              "reader\tregistry\n");

    const CliRun json = runCli("parse --json --server whois.cnnic.cn < " + quoted(reply));
    EXPECT_EQ(json.exitCode, 0);
    EXPECT_EQ(json.out,
              "{\"status\":1,\"statusText\":\"\xE6\x88\x90\xE5\x8A\x9F\",\"expiryDate\":\"2030-01-01\","
              "\"registrationDate\":\"\",\"updatedDate\":\"N/A\",\"owner\":\"\xE5\xBC\xA0\xE4\xB8\x89\","
              "\"email\":\"a@b.cn\",\"registrar\":\"R\\\"1\",\"statuses\":[],\"nameServers\":[],"
              "\"dnssec\":\"\",\"error\":\"\","
              "\"expiry\":\"2030-01-01\",\"created\":null,\"updated\":null,\"reader\":\"registry\"}\n");
}

TEST(CliParse, AnyOtherHostIsReadByTheGenericReader)
{
    struct Case
    {
        const char* args;
        const char* reply;
        std::vector<const char*> lines;
    };

    const Case cases[] = {
        // AFNIC's answer to a rate-limited query carries a not-found line below its refusal.
        {"--server whois.nic.fr",
         "%% complete date format : DD/MM/YYYY\n%%\n%% Too many requests...\n%%\n\n"
         "%% No entries found in the AFNIC Database.\n",
         {"statusText\tERR!\n", "error\tthrottled\n", "reader\tgeneric\n"}},
        {"--server whois.denic.de --domain example.de",
         "Domain: example.de\nNserver: ns1.example.de\nStatus: connect\nChanged: 2024-03-30T19:36:27+02:00\n",
         {"statusText\t\xE6\x88\x90\xE5\x8A\x9F\n",
          "updatedDate\t2024-03-30T19:36:27+02:00\n",
          "reader\tgeneric\n"}},
    };
    TempDir dir;
    for (const Case& c : cases) {
        const CliRun run = runCli(std::string("parse ") + c.args + " " + quoted(dir.write("r.txt", c.reply)));
        EXPECT_EQ(run.exitCode, 0);
        for (const char* line : c.lines)
            EXPECT_NE(run.out.find(line), std::string::npos) << c.args << "\n" << run.out;
    }
}

/// An environment entry that routes every registry host of these tests to `server`.
std::string routeAll(const LoopbackWhoisServer& server)
{
    std::string list;
    for (const char* host : {"whois.verisign-grs.com", "whois.publicinterestregistry.org", "whois.cnnic.cn"})
        list += std::string(host) + "=" + server.address() + ";";
    // RDAP goes nowhere: a registry's own service is never reached from a test.
    return "ZONEDESK_WHOIS_ENDPOINTS='" + list + "' ZONEDESK_RDAP_ENDPOINTS='" + rdapNowhere() + "' ";
}

TEST(CliLookup, WritesCsvAndJsonLinesFromTheServersReplies)
{
    TempDir dir;
    LoopbackWhoisServer server;
    server.on("taken.com",
              Behaviour::answer(
                  "for detailed information\n   Registrar: R\n   Whois Server: w\n"
                  "   Creation Date: 01-jan-2000\n   Expiration Date: 01-jan-2030\n>>> x <<<\nNOTICE: n"));
    server.on("free.org", Behaviour::answer("NOT FOUND\n"));
    const auto list = dir.write("list.txt", "taken.com\nfree.org\nname.sg\n");
    const auto csv = dir.path() / "out.csv";
    const auto jsonl = dir.path() / "out.jsonl";
    const CliRun run =
        runCli("lookup --ten-registries " + quoted(list) + " -o " + quoted(csv) + " --jsonl " + quoted(jsonl),
               dir.path() / "err.txt",
               routeAll(server));
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(
        readFile(csv),
        "\"whois.verisign-grs.com\",\"taken.com\",\"\xB3\xC9\xB9\xA6\",\"01-jan-2030\",\"01-jan-2000\",\"N/"
        "A\","
        "\"N/A\",\"R\"\r\n"
        "\"whois.publicinterestregistry.org\",\"free.org\",\"\xD3\xF2\xC3\xFB\xCE\xB4\xD7\xA2\xB2\xE1\",\"\","
        "\"\",\"\",\"\",\"\"\r\n"
        "\"\",\"name.sg\",\"\xCE\xDEwhois\xB7\xFE\xCE\xF1\xC6\xF7\",\"\",\"\",\"\",\"\",\"\"\r\n");
    const std::string lines = readFile(jsonl);
    EXPECT_NE(
        lines.find("{\"index\":1,\"server\":\"whois.publicinterestregistry.org\",\"domain\":\"free.org\","
                   "\"done\":true,\"status\":2,"),
        std::string::npos)
        << lines;
    EXPECT_NE(readFile(dir.path() / "err.txt").find("finished: 3 domains"), std::string::npos);
}

TEST(CliLookup, AListWithNoNameToLookUpIsAFileErrorNotASuccess)
{
    TempDir dir;
    for (const std::string& list : {std::string(), std::string("co.uk\n=1+1\n")}) {
        const auto file = dir.write("list.txt", list);
        const CliRun run = runCli("lookup -q " + quoted(file), dir.path() / "err.txt");
        EXPECT_EQ(run.exitCode, 2) << list;
        EXPECT_EQ(run.out, "");
        EXPECT_NE(readFile(dir.path() / "err.txt").find("the list holds no name to look up"),
                  std::string::npos);
    }
}

TEST(CliLookup, InterruptStopsTheRunAndWritesWhatIsFinished)
{
    // Ctrl+C, and a closed terminal or ssh session (SIGHUP), alike.
    for (const std::string signal : {"INT", "HUP"}) {
        SCOPED_TRACE(signal);
        TempDir dir;
        LoopbackWhoisServer server;
        server.on("quick.org", Behaviour::answer("NOT FOUND\n"));
        server.on("hangs.com", Behaviour::silent());
        const auto list = dir.write("list.txt", "quick.org\nhangs.com\n");
        const auto csv = dir.path() / "out.csv";
        // The shell sends the signal once the silent server holds the connection. A background
        // job of a script starts with SIGINT ignored (and keeps it so): env gives it back, as a
        // terminal's foreground job has it.
        const std::string script =
            "env --default-signal=INT " + routeAll(server) + ZONEDESK_CLI_PATH + " lookup " + quoted(list) +
            " -o " + quoted(csv) + " --jsonl " + quoted(dir.path() / "jsonl") +
            " & pid=$!; for i in $(seq 100); do sleep 0.05; " + "[ -s " + quoted(dir.path() / "connected") +
            " ] && break; done; " + "kill -" + signal + " $pid; wait $pid";
        std::thread watcher([&] {
            while (server.connectionCount() < 2)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            std::this_thread::sleep_for(std::chrono::milliseconds(300)); // time to settle quick.org
            dir.write("connected", "yes");
        });
        const CliRun run = runShell(script);
        watcher.join();
        EXPECT_EQ(run.exitCode, 130);
        const std::string written = readFile(csv);
        EXPECT_NE(readFile(dir.path() / "jsonl")
                      .find("\"done\":false,\"status\":null,\"result\":\"not-looked-up\""),
                  std::string::npos);
        EXPECT_NE(written.find("\"quick.org\",\"\xD3\xF2"), std::string::npos); // finished: its result
        EXPECT_NE(written.find("\"hangs.com\",\"\xCE\xB4\xB2\xE9\xD1\xAF\""), std::string::npos); // 未查询
    }
}

TEST(CliLookup, ASignalIgnoredAtTheStartStaysIgnored)
{
    // nohup starts the program with SIGHUP ignored: a closed terminal must not stop the run.
    TempDir dir;
    LoopbackWhoisServer server;
    server.on("slow.org", Behaviour::answer("NOT FOUND\n", std::chrono::milliseconds(1500)));
    const auto list = dir.write("list.txt", "slow.org\n");
    const auto csv = dir.path() / "out.csv";
    const auto connected = dir.path() / "connected";
    // The shell sends SIGHUP once the server holds the connection, before it answers.
    const std::string script = "trap '' HUP; " + routeAll(server) + ZONEDESK_CLI_PATH + " lookup -q " +
                               quoted(list) + " -o " + quoted(csv) + " & pid=$!; for i in $(seq 200); do " +
                               "[ -s " + quoted(connected) +
                               " ] && break; sleep 0.05; done; kill -HUP $pid; " + "wait $pid";
    std::thread watcher([&] {
        for (int waited = 0; server.connectionCount() == 0 && waited < 1000; ++waited)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        dir.write("connected", "yes");
    });
    const CliRun run = runShell(script);
    watcher.join();
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(readFile(csv).find("\"slow.org\",\"\xD3\xF2"), std::string::npos) << readFile(csv); // looked up
}

TEST(CliLookup, ErrorsSayWhyAndAFinishedRunIsNeverLost)
{
    TempDir dir;
    LoopbackWhoisServer server;
    server.on("noise.com", Behaviour::answer("hello world\r\n"));
    server.on("gone.com", Behaviour::closeAtOnce());
    const auto list = dir.write("list.txt", "noise.com\ngone.com\n");

    // An output that can't be written is found before a single query is made.
    const auto missing = dir.path() / "no-such-folder" / "out.csv";
    const CliRun early =
        runCli("lookup " + quoted(list) + " -o " + quoted(missing), dir.path() / "err.txt", routeAll(server));
    EXPECT_EQ(early.exitCode, 2);
    EXPECT_EQ(server.connectionCount(), 0);
    EXPECT_NE(readFile(dir.path() / "err.txt").find("cannot write"), std::string::npos);

    // One that fails only at the end: the results go to the temporary folder, and the JSONL says why.
    const auto jsonl = dir.path() / "out.jsonl";
    const CliRun late = runCli("lookup " + quoted(list) + " -o /dev/full --jsonl " + quoted(jsonl),
                               dir.path() / "err.txt",
                               routeAll(server) + "TMPDIR=" + quoted(dir.path()) + " ");
    EXPECT_EQ(late.exitCode, 2);
    const std::string err = readFile(dir.path() / "err.txt");
    EXPECT_NE(err.find("2 ERR! (1 empty reply, 1 unrecognised reply)"), std::string::npos) << err;
    const std::size_t at = err.find("the results are in ");
    ASSERT_NE(at, std::string::npos) << err;
    const std::string rescued = err.substr(at + 19, err.find(" instead") - at - 19);
    EXPECT_NE(readFile(rescued).find("\"noise.com\",\"\",\"\""), std::string::npos); // Error: empty status
    const std::string lines = readFile(jsonl);
    EXPECT_NE(lines.find("\"domain\":\"noise.com\",\"done\":true,\"status\":3,\"result\":\"error\","
                         "\"error\":\"unrecognised\""),
              std::string::npos)
        << lines;
    EXPECT_NE(lines.find("\"error\":\"empty-reply\""), std::string::npos) << lines;

    // A disk that fills up while the results are written (a 2 KiB file size limit, here): the cut
    // files go, and the results follow on standard output (a pipe, which no size limit cuts).
    std::string many;
    for (int i = 0; i < 100; ++i)
        many += "name" + std::to_string(i) + ".com\n";
    const auto longList = dir.write("many.txt", many);
    const auto csv = dir.path() / "cut.csv";
    const auto tmp = dir.path() / "tmp";
    std::filesystem::create_directory(tmp);
    const CliRun cut =
        runShell("(trap '' XFSZ; ulimit -f 2; " + routeAll(server) + "TMPDIR=" + quoted(tmp) + " " +
                 ZONEDESK_CLI_PATH + " lookup " + quoted(longList) + " --no-history -q -o " + quoted(csv) +
                 " 2>" + quoted(dir.path() / "err.txt") + "; echo $? >&2) 2>&1 | cat");
    EXPECT_NE(cut.out.find("\n2\n"), std::string::npos) << cut.out.substr(cut.out.size() - 50); // exit 2
    EXPECT_FALSE(std::filesystem::exists(csv)) << readFile(dir.path() / "err.txt");
    EXPECT_NE(readFile(dir.path() / "err.txt").find("removed " + csv.string()), std::string::npos);
    EXPECT_NE(cut.out.find("name99.com"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_empty(tmp));
}

TEST(CliServeSamples, AnswersWhoisAndRdapAndSaysHowToReachIt)
{
    TempDir dir;
    const auto list =
        dir.write("list.txt", "riverstone.info\nfree-x.info\nprivate-y.info\nexample.org\nexample.cn\n");
    const auto endpoints = dir.path() / "endpoints";
    const auto jsonl = dir.path() / "out.jsonl";
    const std::string cli = ZONEDESK_CLI_PATH;
    const CliRun run = runShell(cli + " serve-samples > " + quoted(endpoints) + " & server=$!; " +
                                "for i in $(seq 100); do grep -q RDAP " + quoted(endpoints) +
                                " 2>/dev/null && break; sleep 0.05; done; set -a; . " + quoted(endpoints) +
                                "; set +a; " + cli + " lookup --prefer-rdap -q " + quoted(list) +
                                " --jsonl " + quoted(jsonl) + "; status=$?; kill $server; exit $status");
    EXPECT_EQ(run.exitCode, 0);
    const std::string lines = readFile(jsonl);
    const auto line = [&lines](std::string_view domain) {
        const std::size_t at = lines.find("\"domain\":\"" + std::string(domain) + "\"");
        return at == std::string::npos ? std::string() : lines.substr(at, lines.find('\n', at) - at);
    };
    EXPECT_NE(line("riverstone.info").find("\"result\":\"registered\",\"error\":\"\",\"source\":\"rdap\""),
              std::string::npos)
        << lines;
    EXPECT_NE(line("free-x.info").find("\"result\":\"available\""), std::string::npos) << lines;
    EXPECT_NE(line("private-y.info").find("\"owner\":\"REDACTED FOR PRIVACY\""), std::string::npos) << lines;
    EXPECT_NE(line("example.org").find("\"source\":\"rdap\""), std::string::npos) << lines; // preferred
    EXPECT_NE(line("example.cn").find("\"source\":\"whois\""), std::string::npos) << lines; // no RDAP there
}

TEST(CliServeSamples, SettlesTheDemoNamesBeyondTheTenRegistriesWithTheirTrueVerdicts)
{
    TempDir dir;

    struct Case
    {
        const char* name;
        const char* result;
        const char* source;
    };

    const Case cases[] = {
        {"berlin-verlag.de", "registered", "whois"},
        {"free-lindenhof.de", "available", "whois"},
        {"kensington-books.co.uk", "registered", "whois"},
        {"free-thames.uk", "available", "whois"},
        {"brisbane.com.au", "registered", "whois"},
        {"free-outback.com.au", "available", "whois"},
        {"singapore-trade.com.sg", "registered", "whois"},
        {"free-merlion.sg", "available", "whois"},
        {"devtools.io", "registered", "rdap"}, // port 43 closes: RDAP answers
        {"free-sandbox.io", "available", "rdap"},
        {"newdomain.xyz", "registered", "rdap"},
        {"free-xyzzy.xyz", "available", "rdap"},
        {"notekeeper.app", "registered", "rdap"},
        {"free-launchpad.app", "available", "rdap"},
    };
    std::string names;
    for (const Case& c : cases)
        names += std::string(c.name) + "\n";
    const auto list = dir.write("list.txt", names);
    const auto endpoints = dir.path() / "endpoints";
    const auto jsonl = dir.path() / "out.jsonl";
    const std::string cli = ZONEDESK_CLI_PATH;
    // Every service of these suffixes is routed to the responder: the test reaches no registry.
    const CliRun run = runShell(cli + " serve-samples > " + quoted(endpoints) + " & server=$!; " +
                                "for i in $(seq 100); do grep -q RDAP " + quoted(endpoints) +
                                " 2>/dev/null && break; sleep 0.05; done; set -a; . " + quoted(endpoints) +
                                "; set +a; " + cli + " lookup -q " + quoted(list) + " --jsonl " +
                                quoted(jsonl) + "; status=$?; kill $server; exit $status");
    EXPECT_EQ(run.exitCode, 0);
    const std::string lines = readFile(jsonl);
    for (const Case& c : cases) {
        const std::size_t at = lines.find("\"domain\":\"" + std::string(c.name) + "\"");
        ASSERT_NE(at, std::string::npos) << c.name << "\n" << lines;
        const std::string line = lines.substr(at, lines.find('\n', at) - at);
        EXPECT_NE(line.find("\"result\":\"" + std::string(c.result) + "\""), std::string::npos) << line;
        EXPECT_NE(line.find("\"source\":\"" + std::string(c.source) + "\""), std::string::npos) << line;
    }
}

/// Today plus `days`, as YYYY-MM-DD: replies computed from the day the test runs never go stale.
std::string isoInDays(int days)
{
    return core::CalendarDate::fromDayNumber(core::today().dayNumber() + days).iso();
}

std::string orgRecord(const std::string& name, int expiresInDays)
{
    return "Domain Name: " + name +
           "\r\nCreation Date: 2001-01-01T00:00:00Z\r\nRegistry Expiry Date: " + isoInDays(expiresInDays) +
           "T04:00:00Z\r\nRegistrar: R\r\n";
}

TEST(CliLookup, WarnDaysListsNamesNearExpiryAndTheExitCodeTellsCron)
{
    TempDir dir;
    LoopbackWhoisServer server;
    server.on("soon.org", Behaviour::answer(orgRecord("SOON.ORG", 10)));
    server.on("edge.org", Behaviour::answer(orgRecord("EDGE.ORG", 30))); // the boundary day counts
    server.on("later.org", Behaviour::answer(orgRecord("LATER.ORG", 400)));
    server.on("expired.org", Behaviour::answer(orgRecord("EXPIRED.ORG", -3)));
    server.on("broken.com", Behaviour::answer("hello world\r\n"));
    const auto jsonl = dir.path() / "out.jsonl";
    const auto err = dir.path() / "err.txt";

    const auto all = dir.write("all.txt", "later.org\nsoon.org\nexpired.org\nedge.org\nbroken.com\n");
    const CliRun near =
        runCli("lookup --warn-days 30 " + quoted(all) + " --jsonl " + quoted(jsonl), err, routeAll(server));
    EXPECT_EQ(near.exitCode, 3); // near expiry wins over the failed lookup
    EXPECT_EQ(near.out,
              "expired.org\t" + isoInDays(-3) + "\t-3\nsoon.org\t" + isoInDays(10) + "\t10\nedge.org\t" +
                  isoInDays(30) + "\t30\n");
    EXPECT_NE(readFile(err).find("1 ERR! (1 unrecognised reply); 3 expire within 30 days"), std::string::npos)
        << readFile(err);
    const std::string lines = readFile(jsonl);
    EXPECT_NE(lines.find("\"expiry\":\"" + isoInDays(10) +
                         "\",\"created\":\"2001-01-01\",\"updated\":null,"
                         "\"daysLeft\":10,\"changes\":[]}"),
              std::string::npos)
        << lines;

    // The same list from the saved JSONL, without asking anyone.
    const CliRun report = runCli("report " + quoted(jsonl) + " --warn-days 30");
    EXPECT_EQ(report.exitCode, 3);
    EXPECT_EQ(report.out, near.out);
    EXPECT_EQ(runCli("report " + quoted(jsonl) + " --warn-days 1").out,
              "expired.org\t" + isoInDays(-3) + "\t-3\n");

    const auto failing = dir.write("failing.txt", "later.org\nbroken.com\n");
    EXPECT_EQ(runCli("lookup -q --warn-days 30 " + quoted(failing) + " -o " + quoted(dir.path() / "o.csv"),
                     err,
                     routeAll(server))
                  .exitCode,
              4);
    const auto fine = dir.write("fine.txt", "later.org\n");
    EXPECT_EQ(runCli("lookup -q --warn-days 30 " + quoted(fine) + " -o " + quoted(dir.path() / "o.csv"),
                     err,
                     routeAll(server))
                  .exitCode,
              0);
}

TEST(CliReport, ReadsWithinBoundsAndSaysWhenItCouldNotReadToTheEnd)
{
    TempDir dir;
    const auto err = dir.path() / "err.txt";
#ifdef __SANITIZE_ADDRESS__
    const std::string limit;
#else
    // KiB: the names within 64 MiB of input fit; without the bound it grows by gigabytes.
    const std::string limit = "ulimit -v 262144; ";
#endif
    const CliRun device =
        runShell(limit + ZONEDESK_CLI_PATH + " report /dev/zero --warn-days 30 2>" + quoted(err));
    EXPECT_EQ(device.exitCode, 2);
    EXPECT_NE(readFile(err).find("is not a regular file"), std::string::npos) << readFile(err);

    const CliRun zeros =
        runShell(limit + ZONEDESK_CLI_PATH + " report - --warn-days 30 < /dev/zero 2>" + quoted(err));
    EXPECT_EQ(zeros.exitCode, 2);
    EXPECT_NE(readFile(err).find("was not read to its end: a NUL byte"), std::string::npos) << readFile(err);

    // Endless JSONL: the names within the days up to the bound, then the reason and exit 2.
    const std::string record = "{\"domain\":\"a.org\",\"expiry\":\"" + isoInDays(3) + "\"}";
    const auto out = dir.path() / "out.txt";
    const CliRun endless =
        runShell(limit + "yes '" + record + "' | " + ZONEDESK_CLI_PATH + " report - --warn-days 30 >" +
                 quoted(out) + " 2>" + quoted(err) + "; echo $?");
    EXPECT_EQ(endless.out, "2\n");
    const std::string printed = readFile(out);
    EXPECT_TRUE(printed.ends_with("a.org\t" + isoInDays(3) + "\t3\n"));
    EXPECT_NE(readFile(err).find("longer than 64 MiB"), std::string::npos) << readFile(err);
    EXPECT_EQ(readFile(err).find("not JSON records"), std::string::npos) << readFile(err); // only cut short

    EXPECT_EQ(runCli("report " + quoted(dir.path() / "missing.jsonl") + " --warn-days 3").exitCode, 2);
}

TEST(CliReport, ANameIsPrintedWithItsControlCharactersEscaped)
{
    TempDir dir;
    const auto jsonl =
        dir.write("run.jsonl",
                  "{\"domain\":\"x\\u001b]0;owned\\u0007\\u001b[2J\\u009b1m\\tb.org\",\"expiry\":\"" +
                      isoInDays(2) + "\"}\n");
    const CliRun run = runCli("report " + quoted(jsonl) + " --warn-days 30");
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_EQ(run.out, "x\\x1b]0;owned\\x07\\x1b[2J\\xc2\\x9b1m\\tb.org\t" + isoInDays(2) + "\t2\n");
}

TEST(CliReport, NamesAreListedByTheStatesAsked)
{
    TempDir dir;
    const auto jsonl = dir.write(
        "run.jsonl",
        "{\"result\":\"registered\",\"domain\":\"locked.com\",\"statuses\":[\"clientTransferProhibited\"],"
        "\"dnssec\":\"signed\"}\n"
        "{\"result\":\"registered\",\"domain\":\"open.com\",\"statuses\":[\"ok\"],\"dnssec\":\"unsigned\"}\n"
        "{\"result\":\"registered\",\"domain\":\"held.net\",\"statuses\":[\"serverHold\","
        "\"clientTransferProhibited\"]}\n"
        "{\"result\":\"registered\",\"domain\":\"going.org\",\"statuses\":[\"redemptionPeriod\",\"~deleted\"]"
        "}\n"
        "{\"result\":\"registered\",\"domain\":\"gone.org\",\"statuses\":[\"pendingDelete\"]}\n"
        "{\"result\":\"registered\",\"domain\":\"own.de\",\"statuses\":[\"~connect\"],\"dnssec\":null}\n"
        "{\"result\":\"registered\",\"domain\":\"free.com\",\"statuses\":[]}\n"
        "{\"result\":\"registered\",\"domain\":\"junk.com\",\"statuses\":\"serverHold\",\"dnssec\":7}\n"
        "{\"result\":\"available\",\"domain\":\"free.org\",\"statuses\":[\"ok\"],\"dnssec\":\"unsigned\"}\n"
        "not json\n");

    const struct
    {
        const char* states;
        int exitCode;
        const char* out;
    } cases[] = {
        // Codes stated without a lock; a registry's own word states no code.
        {"unlocked", 3, "open.com\tunlocked\ngoing.org\tunlocked\ngone.org\tunlocked\n"},
        {"hold,redemption,pending-delete",
         3,
         "held.net\thold\ngoing.org\tredemption\ngone.org\tpending-delete\n"},
        {"unsigned,unlocked", 3, "open.com\tunlocked,unsigned\ngoing.org\tunlocked\ngone.org\tunlocked\n"},
        {"inactive", 0, ""},
    };

    for (const auto& c : cases) {
        const CliRun run = runCli("report " + quoted(jsonl) + " --state " + c.states, dir.path() / "err.txt");
        EXPECT_EQ(run.exitCode, c.exitCode) << c.states;
        EXPECT_EQ(run.out, c.out) << c.states;
    }
    EXPECT_EQ(readFile(dir.path() / "err.txt"),
              "zonedesk-cli: 1 line of " + jsonl.string() + " are not JSON records\n");
    EXPECT_EQ(runCli("report " + quoted(jsonl) + " --state locked").exitCode, 1); // no such state
    EXPECT_EQ(runCli("report " + quoted(jsonl) + " --state hold --warn-days 3").exitCode, 1);
    EXPECT_EQ(runCli("report " + quoted(jsonl)).exitCode, 1);
}

TEST(CliImport, ANameThatMayPassForAnotherIsShownWithItsALabel)
{
    TempDir dir;
    const auto list = dir.write("list.txt", "apple.com\n\xD0\xB0pple.com\n"); // the second with a Cyrillic а
    const CliRun run = runCli("import -q " + quoted(list), dir.path() / "err.txt");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out,
              "0\twhois.verisign-grs.com\tapple.com\n"
              "1\twhois.verisign-grs.com\t\xD0\xB0pple.com (xn--pple-43d.com)\n");
    EXPECT_EQ(
        readFile(dir.path() / "err.txt"),
        "imported 2 domains (UTF-8); 1 name may pass for another (mixed scripts or look-alike letters): "
        "\xD0\xB0pple.com is xn--pple-43d.com\n");

    LoopbackWhoisServer server;
    server.on("xn--pple-43d.com", Behaviour::answer("No match for \"XN--PPLE-43D.COM\".\r\n"));
    server.on("apple.com", Behaviour::answer("No match for \"APPLE.COM\".\r\n"));
    const CliRun jsonl =
        runCli("lookup -q --ten-registries --format jsonl " + quoted(list), "/dev/null", routeAll(server));
    EXPECT_NE(jsonl.out.find("\"domain\":\"apple.com\",\"done\""), std::string::npos) << jsonl.out;
    EXPECT_NE(jsonl.out.find("\"domain\":\"\xD0\xB0pple.com\",\"aLabel\":\"xn--pple-43d.com\",\"done\""),
              std::string::npos)
        << jsonl.out;
    const CliRun tsv = runCli("lookup -q --ten-registries " + quoted(list), "/dev/null", routeAll(server));
    EXPECT_NE(tsv.out.find("\twhois.verisign-grs.com\t\xD0\xB0pple.com (xn--pple-43d.com)\t"),
              std::string::npos)
        << tsv.out;
}

TEST(Cli, ExitCodesTellUsageFromFileErrors)
{
    TempDir dir;
    const auto list = dir.write("list.txt", "a.org\n");

    struct Case
    {
        std::string args;
        int exitCode;
    };

    const Case cases[] = {
        {"--help", 0},
        {"import --help", 0},
        {"export --help", 0},
        {"", 1},
        {"frobnicate", 1},
        {"import", 1},
        {"import --bogus " + quoted(list), 1},
        {"export " + quoted(list), 1},
        {"export " + quoted(list) + " -o", 1},
        {"import " + quoted(dir.path() / "missing.txt"), 2},
        {"export " + quoted(dir.path() / "missing.txt") + " -o x.csv", 2},
        {"export " + quoted(list) + " -o " + quoted(dir.path() / "no/x.csv"), 2},
        {"parse " + quoted(list), 1},
        {"parse --server", 1},
        {"parse --server whois.nic.tv " + quoted(dir.path() / "missing"), 2},
        {"parse --help", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(runCli(c.args).exitCode, c.exitCode) << c.args;
}

TEST(CliLookup, NamesBeyondTheTenGoToTheServiceTheirTldHasAndSayWhatWasAsked)
{
    TempDir dir;
    LoopbackWhoisServer denic;
    denic.on(
        "taken.de",
        Behaviour::answer("Domain Name: taken.de\r\nRegistrar: R\r\nCreation Date: 2001-01-01T00:00:00Z\r\n"
                          "Registry Expiry Date: 2030-01-01T00:00:00Z\r\n"));
    LoopbackWhoisServer rdap;
    rdap.speakHttp();
    rdap.on(rdapRequest("example.xyz"),
            Behaviour::answer(httpResponse(
                200,
                R"({"objectClassName":"domain","ldhName":"EXAMPLE.XYZ",)"
                R"("events":[{"eventAction":"expiration","eventDate":"2030-07-31T23:57:50Z"}]})")));
    const std::string nowhere = "127.0.0.1:" + std::to_string(LoopbackWhoisServer::refusedPort());
    // Every host these names could reach is routed: the shipped data names the real ones.
    const std::string environment = "XDG_CACHE_HOME='" + dir.path().string() +
                                    "' ZONEDESK_WHOIS_ENDPOINTS='whois.denic.de=" + denic.address() +
                                    ";whois.nic.xyz=" + nowhere + "' ZONEDESK_RDAP_ENDPOINTS='" +
                                    rdapNowhere() + ";xyz=" + rdap.httpBase() + "' ";
    const CliRun run = runCli("lookup -q -j - shop.taken.de example.xyz", "/dev/null", environment);
    EXPECT_EQ(run.exitCode, 0);
    const auto newline = run.out.find('\n');
    ASSERT_NE(newline, std::string::npos) << run.out;
    const auto de = nlohmann::json::parse(run.out.substr(0, newline), nullptr, false);
    const auto xyz = nlohmann::json::parse(run.out.substr(newline + 1), nullptr, false);
    ASSERT_TRUE(de.is_object() && xyz.is_object()) << run.out;
    EXPECT_EQ(de["server"], "whois.denic.de");
    EXPECT_EQ(de["tld"], "de");
    EXPECT_EQ(de["queried"], "taken.de"); // the registrable domain, not the name listed
    EXPECT_EQ(de["status"], 1);
    EXPECT_EQ(de["registrar"], "R");
    EXPECT_EQ(xyz["server"], "rdap.centralnic.com");
    EXPECT_EQ(xyz["source"], "rdap");
    EXPECT_EQ(xyz["status"], 1);
    EXPECT_FALSE(xyz.contains("queried"));
    EXPECT_EQ(denic.connectionCount(), 1);

    // The same choice, said without a query; --ten-registries leaves such names alone.
    EXPECT_EQ(runCli("servers shop.taken.de example.com co.uk", "/dev/null", environment).out,
              "shop.taken.de\ttaken.de\tde\twhois whois.denic.de\t\ttable\n"
              "example.com\texample.com\tcom\twhois whois.verisign-grs.com\trdap "
              "https://rdap.verisign.com/com/v1/\tten registries\n"
              "co.uk\t\tuk\t\t\tpublic suffix\n");
    const CliRun ten = runCli("lookup -j - --ten-registries shop.taken.de", "/dev/null", environment);
    EXPECT_NE(ten.out.find("\"server\":\"\""), std::string::npos) << ten.out;
    EXPECT_EQ(denic.connectionCount(), 1);
}

TEST(CliReport, ALineNestedDeeperThanARecordIsNotRead)
{
    TempDir dir;
    const std::string soon = isoInDays(5);
    const auto jsonl =
        dir.write("deep.jsonl",
                  R"({"domain":"deep.org","expiry":")" + soon + R"(","changes":)" + std::string(100, '[') +
                      std::string(100, ']') + "}\n" + R"({"domain":"near.org","expiry":")" + soon + "\"}\n");
    const CliRun run = runCli("report " + quoted(jsonl) + " --warn-days 30", dir.path() / "err.txt");
    EXPECT_EQ(run.out, "near.org\t" + soon + "\t5\n");
    EXPECT_NE(readFile(dir.path() / "err.txt").find("1 line of"), std::string::npos)
        << readFile(dir.path() / "err.txt");
}

} // namespace
} // namespace zonedesk::test
