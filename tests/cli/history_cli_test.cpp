// SPDX-License-Identifier: MIT
// The history database through zonedesk-cli: changes between runs, the history, runs and prune
// commands, databases it can't use, and a run killed mid-way.
#include <chrono>
#include <csignal>
#include <string>
#include <thread>

#include <spawn.h>
#include <sqlite3.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include "tests/support/loopback_whois_server.h"
#include "tests/support/shell_run.h"
#include "tests/support/sqlite_probe.h"
#include "tests/support/temp_dir.h"

#include <nlohmann/json.hpp>

extern char** environ;

namespace zonedesk::test {
namespace {

const std::string Cli = ZONEDESK_CLI_PATH;

/// A .com record of `name`; of no name in particular when it is empty (one answer for every name).
std::string comRecord(const std::string& name, const std::string& expiry, const std::string& registrar)
{
    return (name.empty() ? std::string() : "Domain Name: " + name + "\r\n") + "Registrar: " + registrar +
           "\r\nCreation Date: 2001-01-01T00:00:00Z\r\nRegistry Expiry Date: " + expiry + "T04:00:00Z\r\n";
}

/// Runs `args` with the .com and .org registries routed to `server`; standard error joins
/// standard output when `withErrors`.
ShellRun cli(const LoopbackWhoisServer& server, const std::string& args, bool withErrors = false)
{
    const std::string route = "whois.verisign-grs.com=" + server.address() +
                              ";whois.publicinterestregistry.org=" + server.address() + ";";
    return runShell("ZONEDESK_WHOIS_ENDPOINTS='" + route + "' ZONEDESK_RDAP_ENDPOINTS='" + rdapNowhere() +
                    "' " + Cli + " " + args + (withErrors ? " 2>&1" : " 2>/dev/null"));
}

TEST(CliHistory, ChangesBetweenRunsAndTheHistoryCommands)
{
    TempDir dir;
    const std::string db = (dir.path() / "h.sqlite3").string();
    LoopbackWhoisServer server;
    server.on("a.com", Behaviour::answer(comRecord("a.com", "2026-05-14", "Old Registrar")));
    server.on("b.com", Behaviour::answer(comRecord("b.com", "2027-01-01", "R")));
    server.on("c.com", Behaviour::answer(""));
    ASSERT_EQ(cli(server, "lookup -q --db " + db + " a.com b.com c.com").exitCode, 4); // c.com: ERR!

    server.on("a.com", Behaviour::answer(comRecord("a.com", "2027-05-14", "New Registrar")));
    server.on("b.com", Behaviour::answer("No match for \"B.COM\".\r\n"));
    server.on("c.com", Behaviour::answer("No match for \"C.COM\".\r\n"));
    const ShellRun second = cli(server,
                                "lookup -q --changes --db " + db + " -j " +
                                    (dir.path() / "r.jsonl").string() + " a.com b.com c.com");
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_EQ(second.out,
              "a.com\trenewed: 2026-05-14 -> 2027-05-14; registrar changed: Old Registrar -> New Registrar\n"
              "b.com\tdropped (now available): 2027-01-01T04:00:00Z -> -\n"); // from ERR!: no change
    const std::string jsonl = readFile(dir.path() / "r.jsonl");
    EXPECT_NE(jsonl.find("\"changes\":[{\"kind\":\"dropped\""), std::string::npos) << jsonl;
    EXPECT_NE(jsonl.find("\"domain\":\"c.com\""), std::string::npos);

    const ShellRun history = cli(server, "history --db " + db + " a.com");
    EXPECT_EQ(std::count(history.out.begin(), history.out.end(), '\n'), 2) << history.out;
    EXPECT_NE(
        history.out.find("\tregistered\twhois\twhois.verisign-grs.com\t2027-05-14T04:00:00Z\tNew Registrar"),
        std::string::npos)
        << history.out;
    EXPECT_LT(history.out.find("New Registrar"), history.out.find("Old Registrar")); // newest first
    EXPECT_NE(cli(server, "history --raw --db " + db + " a.com").out.find("Registrar: Old Registrar\r\n"),
              std::string::npos);
    EXPECT_NE(cli(server, "history -j --db " + db + " c.com").out.find("\"error\":\"empty-reply\""),
              std::string::npos);

    const ShellRun changes = cli(server, "history --changes --since 2000-01-01 --db " + db);
    EXPECT_NE(changes.out.find("\ta.com\trenewed"), std::string::npos) << changes.out;
    EXPECT_NE(changes.out.find("\tb.com\tdropped"), std::string::npos) << changes.out;
    EXPECT_EQ(changes.out.find("c.com"), std::string::npos);

    const ShellRun runs = cli(server, "runs -j --db " + db);
    EXPECT_NE(runs.out.find("\"total\":3,\"registered\":1,\"available\":2,\"errors\":0"), std::string::npos)
        << runs.out;
    EXPECT_NE(runs.out.find("\"total\":3,\"registered\":2,\"available\":0,\"errors\":1"), std::string::npos);

    // "Older than now" is to the second: the lookups are made a minute older instead of waiting.
    execute(db, "UPDATE lookups SET time = time - 60");
    EXPECT_EQ(cli(server, "prune --keep-days 0 --db " + db).out,
              "deleted 3 lookups\n"); // each name's latest stays
    EXPECT_EQ(scalarReadOnly(db, "SELECT count(*) FROM lookups"), 3);
    EXPECT_EQ(cli(server, "history --since yesterday --changes --db " + db).exitCode, 1);
}

TEST(CliHistory, ADatabaseItCannotUseTurnsHistoryOffButNotTheRun)
{
    TempDir dir;
    LoopbackWhoisServer server;
    server.on("a.com", Behaviour::answer(comRecord("a.com", "2027-05-14", "R")));
    const auto garbage = dir.write("garbage.sqlite3", std::string(8192, 'g'));
    const std::string newer = (dir.path() / "newer.sqlite3").string();
    {
        sqlite3* db = nullptr;
        sqlite3_open(newer.c_str(), &db);
        sqlite3_exec(db, "PRAGMA user_version = 7", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    const std::string locked = (dir.path() / "locked.sqlite3").string();
    ASSERT_EQ(cli(server, "lookup -q --db " + locked + " a.com").exitCode, 0);
    sqlite3* holder = nullptr; // a second instance in the middle of a write
    sqlite3_open(locked.c_str(), &holder);
    ASSERT_EQ(sqlite3_exec(holder, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);

    struct Case
    {
        std::string db;
        std::string said;
    };

    const Case cases[] = {
        {garbage.string(), "not a database"},
        {newer, "schema version 7"},
        {(garbage / "sub.sqlite3").string(), "cannot make the folder"},
        {locked, "locked"},
    };
    for (const Case& c : cases) {
        const ShellRun run = cli(server, "lookup --db '" + c.db + "' a.com", true);
        EXPECT_EQ(run.exitCode, 0) << c.db;
        EXPECT_NE(run.out.find("history is off for this run"), std::string::npos) << run.out;
        EXPECT_NE(run.out.find(c.said), std::string::npos) << run.out;
        EXPECT_NE(run.out.find("0\twhois.verisign-grs.com\ta.com\t成功\t2027-05-14"), std::string::npos)
            << run.out;
    }
    sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(holder);
    EXPECT_EQ(scalarReadOnly(locked, "SELECT count(*) FROM lookups"), 1);
    EXPECT_EQ(readFile(garbage), std::string(8192, 'g')); // never overwritten
}

TEST(CliHistory, AHistoryItCannotReadIsSaidAndNeverPrintedAsEmpty)
{
    TempDir dir;
    const std::string db = (dir.path() / "h.sqlite3").string();
    LoopbackWhoisServer server;
    server.on("a.com", Behaviour::answer(comRecord("a.com", "2027-05-14", "R")));
    ASSERT_EQ(cli(server, "lookup -q --db " + db + " a.com").exitCode, 0);
    ASSERT_EQ(cli(server, "lookup -q --db " + db + " a.com").exitCode, 0);
    // Damaged: every page after the first (which holds the schema) overwritten.
    std::string bytes = readFile(db);
    ASSERT_GT(bytes.size(), 4096U);
    std::fill(bytes.begin() + 4096, bytes.end(), 'x');
    dir.write("h.sqlite3", bytes);

    for (const char* command : {"history a.com", "history -j --raw a.com", "history --changes", "runs"}) {
        const ShellRun run = cli(server, std::string(command) + " --db " + db, true);
        EXPECT_EQ(run.exitCode, 2) << command;
        EXPECT_EQ(run.out.find("zonedesk-cli: cannot read the history: "), 0U) << command << ": " << run.out;
    }
}

TEST(CliHistory, RawRepliesInAnyEncodingStayValidJson)
{
    TempDir dir;
    const std::string db = (dir.path() / "h.sqlite3").string();
    LoopbackWhoisServer server;
    // GBK bytes, a lone continuation byte and control characters, as a registry may send them.
    server.on("a.com",
              Behaviour::answer(comRecord("a.com", "2027-05-14", "R") +
                                "Registrant: \xD6\xD0\xCE\xC4 \x80\x01\x1f\"\\\r\n"));
    ASSERT_EQ(cli(server, "lookup -q --db " + db + " a.com").exitCode, 0);
    const ShellRun run = cli(server, "history -j --raw --db " + db + " a.com");
    ASSERT_EQ(run.exitCode, 0);
    const auto parsed = nlohmann::json::parse(run.out, nullptr, false);
    ASSERT_FALSE(parsed.is_discarded()) << run.out;
    EXPECT_NE(parsed["raw"].get<std::string>().find("Registrar: R\r\n"), std::string::npos);
    EXPECT_NE(parsed["raw"].get<std::string>().find("\x01\x1f\"\\"), std::string::npos);
}

TEST(CliHistory, RawRepliesReachATerminalWithTheirControlsShownAndAPipeByteForByte)
{
    TempDir dir;
    const std::string db = (dir.path() / "h.sqlite3").string();
    LoopbackWhoisServer server;
    // U+202E (right-to-left override) would turn the rest of the line around.
    const std::string hostile = "Notice: \x1b[2J\x1b]0;title\x07\x9b"
                                "31m\xC2\x9b"
                                "1m\x7f\rback\xE2\x80\xAEmoc.elpmaxe\r\n";
    server.on("a.com", Behaviour::answer(comRecord("a.com", "2027-05-14", "R") + hostile));
    ASSERT_EQ(cli(server, "lookup -q --db " + db + " a.com").exitCode, 0);

    const ShellRun piped = cli(server, "history --raw --db " + db + " a.com");
    EXPECT_NE(piped.out.find(hostile), std::string::npos);

    // script(1) gives the program a terminal; the terminal adds a CR to each LF.
    const ShellRun terminal =
        runShell("script -qec \"" + Cli + " history --raw --db " + db + " a.com\" /dev/null");
    ASSERT_EQ(terminal.exitCode, 0);
    EXPECT_NE(terminal.out.find("Notice: \\x1b[2J\\x1b]0;title\\x07\\x9b"
                                "31m\\xc2\\x9b"
                                "1m\\x7f\\x0dback\\u202emoc.elpmaxe\r"),
              std::string::npos)
        << terminal.out;
    EXPECT_NE(terminal.out.find("Registrar: R\r"), std::string::npos); // CR LF is a line end
    EXPECT_EQ(terminal.out.find("Registrar: R\\x0d"), std::string::npos);
    EXPECT_EQ(terminal.out.find('\x1b'), std::string::npos);
    EXPECT_EQ(terminal.out.find("\xE2\x80\xAE"), std::string::npos);

    // JSON escapes what it may leave as it is: DEL and the C1 controls too.
    const ShellRun json = cli(server, "history -j --raw --db " + db + " a.com");
    EXPECT_NE(json.out.find("\\u001b[2J\\u001b]0;title\\u0007\xEF\xBF\xBD"
                            "31m\\u009b"
                            "1m\\u007f\\rback"),
              std::string::npos)
        << json.out;
    // The value read back is still the reply's.
    EXPECT_NE(nlohmann::json::parse(json.out)["raw"].get<std::string>().find("\xC2\x9B"
                                                                             "1m\x7F\rback"),
              std::string::npos);
}

TEST(CliHistory, AKilledRunLeavesEveryCommittedBatchConsistent)
{
    TempDir dir;
    const std::string db = (dir.path() / "h.sqlite3").string();
    std::string names;
    LoopbackWhoisServer server;
    for (int i = 0; i < 400; ++i) {
        const std::string name = "n" + std::to_string(i) + ".com";
        names += name + "\n";
        server.on(name, Behaviour::answer(comRecord(name, "2030-01-01", "R"), std::chrono::milliseconds(20)));
    }
    const auto list = dir.write("list.txt", names);

    const std::string route = "ZONEDESK_WHOIS_ENDPOINTS=whois.verisign-grs.com=" + server.address();
    const std::string rdap = "ZONEDESK_RDAP_ENDPOINTS=" + rdapNowhere();
    std::vector<std::string> envText = {route, rdap};
    for (char** e = environ; *e != nullptr; ++e)
        envText.emplace_back(*e);
    std::vector<char*> env;
    for (auto& text : envText)
        env.push_back(text.data());
    env.push_back(nullptr);
    std::vector<std::string> argText = {
        Cli, "lookup", "-q", "--db", db, "-o", (dir.path() / "out.csv").string(), list.string()};
    std::vector<char*> argv;
    for (auto& text : argText)
        argv.push_back(text.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    ASSERT_EQ(::posix_spawn(&child, Cli.c_str(), nullptr, nullptr, argv.data(), env.data()), 0);

    // Let a few batches commit, then kill it without warning.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (scalarReadOnly(db, "SELECT count(*) FROM lookups") < 30 &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const std::int64_t seen = scalarReadOnly(db, "SELECT count(*) FROM lookups");
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    ASSERT_GE(seen, 30);

    sqlite3* check = nullptr;
    ASSERT_EQ(sqlite3_open(db.c_str(), &check), SQLITE_OK); // recovers the write-ahead log
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(check, "PRAGMA integrity_check", -1, &statement, nullptr);
    ASSERT_EQ(sqlite3_step(statement), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)), "ok");
    sqlite3_finalize(statement);
    sqlite3_close(check);

    // Every committed lookup is there, whole, once, in list order (one server asks one at a time).
    const std::int64_t stored = scalarReadOnly(db, "SELECT count(*) FROM lookups");
    EXPECT_GE(stored, seen);
    EXPECT_LT(stored, 400);
    EXPECT_EQ(scalarReadOnly(db, "SELECT count(DISTINCT name) FROM lookups"), stored);
    EXPECT_EQ(scalarReadOnly(
                  db, "SELECT count(*) FROM lookups WHERE status = 1 AND expiry <> '' AND raw IS NOT NULL"),
              stored);
    EXPECT_EQ(scalarReadOnly(db,
                             "SELECT count(*) FROM lookups WHERE CAST(substr(name, 2) AS INTEGER) >= " +
                                 std::to_string(stored)),
              0);
    EXPECT_EQ(scalarReadOnly(db, "SELECT count(*) FROM runs WHERE ended IS NULL"), 1); // the run never ended
    EXPECT_EQ(scalarReadOnly(db, "PRAGMA foreign_key_check"), -1);                     // no row at all

    // The run that never ended shows what it stored.
    const ShellRun runs = runShell(Cli + " runs --db " + db);
    EXPECT_EQ(runs.out,
              "1\t" + runs.out.substr(2, 20) + "\t-\tcli\t" + std::to_string(stored) + "\t" +
                  std::to_string(stored) + "\t0\t0\n");
}

TEST(CliHistory, TwoProgramsOpeningANewDatabaseAtOnceBothUseIt)
{
    TempDir dir;
    for (int attempt = 0; attempt < 8; ++attempt) {
        const std::string db = (dir.path() / ("h" + std::to_string(attempt) + ".sqlite3")).string();
        const std::string one = Cli + " runs --db " + db + " 2>&1";
        const ShellRun both =
            runShell("(" + one + "; echo \"first $?\") & " + one + "; echo \"second $?\"; wait");
        EXPECT_NE(both.out.find("first 0\n"), std::string::npos) << both.out;
        EXPECT_NE(both.out.find("second 0\n"), std::string::npos) << both.out;
        EXPECT_EQ(both.out.find("zonedesk-cli:"), std::string::npos) << both.out;
    }
}

} // namespace
} // namespace zonedesk::test
