// SPDX-License-Identifier: MIT
// Runs the built zonedesk-cli as a user would and checks its output and exit codes.
#include <array>
#include <cstdio>
#include <string>
#include <thread>

#include <sys/wait.h>

#include <gtest/gtest.h>

#include "tests/support/loopback_whois_server.h"
#include "tests/support/temp_dir.h"

namespace zonedesk::test {
namespace {

struct CliRun
{
    int exitCode = -1;
    std::string out;
};

/// Runs a shell command line and collects its standard output and exit code.
CliRun runShell(const std::string& command)
{
    CliRun run;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return run;
    std::array<char, 4096> buffer{};
    std::size_t n = 0;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        run.out.append(buffer.data(), n);
    const int status = ::pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

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

TEST(CliImport, ReportsNamesLeftOut)
{
    TempDir dir;
    const auto list = dir.write("list.txt", std::string(50, 'x') + ".com\nok.com\n");
    const CliRun run = runCli("import " + quoted(list), dir.path() / "err.txt");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(readFile(dir.path() / "err.txt").find("1 left out as longer than 40 bytes"), std::string::npos);
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
              "error\t\n");

    const CliRun json = runCli("parse --json --server whois.cnnic.cn < " + quoted(reply));
    EXPECT_EQ(json.exitCode, 0);
    EXPECT_EQ(json.out,
              "{\"status\":1,\"statusText\":\"\xE6\x88\x90\xE5\x8A\x9F\",\"expiryDate\":\"2030-01-01\","
              "\"registrationDate\":\"\",\"updatedDate\":\"N/A\",\"owner\":\"\xE5\xBC\xA0\xE4\xB8\x89\","
              "\"email\":\"a@b.cn\",\"registrar\":\"R\\\"1\",\"error\":\"\"}\n");
}

TEST(CliParse, UnknownHostPrintsTheUntouchedRecord)
{
    TempDir dir;
    const CliRun run = runCli("parse --server whois.example.net " + quoted(dir.write("r.txt", "anything")));
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out.substr(0, 50),
              "status\t0\nstatusText\t\xE6\x97\xA0whois\xE6\x9C\x8D\xE5\x8A\xA1\xE5\x99\xA8\nexpiryDate\t\n");
}

/// An environment entry that routes every registry host of these tests to `server`.
std::string routeAll(const LoopbackWhoisServer& server)
{
    std::string list;
    for (const char* host : {"whois.verisign-grs.com", "whois.publicinterestregistry.org", "whois.cnnic.cn"})
        list += std::string(host) + "=" + server.address() + ";";
    return "ZONEDESK_WHOIS_ENDPOINTS='" + list + "' ";
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
    const CliRun run = runCli("lookup " + quoted(list) + " -o " + quoted(csv) + " --jsonl " + quoted(jsonl),
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

TEST(CliLookup, InterruptStopsTheRunAndWritesWhatIsFinished)
{
    TempDir dir;
    LoopbackWhoisServer server;
    server.on("quick.org", Behaviour::answer("NOT FOUND\n"));
    server.on("hangs.com", Behaviour::silent());
    const auto list = dir.write("list.txt", "quick.org\nhangs.com\n");
    const auto csv = dir.path() / "out.csv";
    // The shell sends the interrupt once the silent server holds the connection.
    const std::string script = routeAll(server) + ZONEDESK_CLI_PATH + " lookup " + quoted(list) + " -o " +
                               quoted(csv) + " & pid=$!; for i in $(seq 100); do sleep 0.05; " + "[ -s " +
                               quoted(dir.path() / "connected") + " ] && break; done; " +
                               "kill -INT $pid; wait $pid";
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
    EXPECT_NE(written.find("\"quick.org\",\"\xD3\xF2"), std::string::npos);      // finished: its result
    EXPECT_NE(written.find("\"hangs.com\",\"\xCE\xB4\xB2\xE9\xD1\xAF\""), std::string::npos); // 未查询
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
        {"--help",                                                            0},
        {"import --help",                                                     0},
        {"export --help",                                                     0},
        {"",                                                                  1},
        {"frobnicate",                                                        1},
        {"import",                                                            1},
        {"import --bogus " + quoted(list),                                    1},
        {"export " + quoted(list),                                            1},
        {"export " + quoted(list) + " -o",                                    1},
        {"import " + quoted(dir.path() / "missing.txt"),                      2},
        {"export " + quoted(dir.path() / "missing.txt") + " -o x.csv",        2},
        {"export " + quoted(list) + " -o " + quoted(dir.path() / "no/x.csv"), 2},
        {"parse " + quoted(list),                                             1},
        {"parse --server",                                                    1},
        {"parse --server whois.nic.tv " + quoted(dir.path() / "missing"),     2},
        {"parse --help",                                                      0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(runCli(c.args).exitCode, c.exitCode) << c.args;
}

} // namespace
} // namespace zonedesk::test
