// SPDX-License-Identifier: MIT
// zonedesk-cli as a Unix tool: options in GNU forms, names on the command line, - for standard
// input and output, header rows, and usage errors before any query.
#include <string>

#include <gtest/gtest.h>

#include "tests/support/loopback_whois_server.h"
#include "tests/support/shell_run.h"
#include "tests/support/temp_dir.h"

namespace zonedesk::test {
namespace {

using Outcome = ShellRun;

/// Runs `command` through the shell with every registry routed to `server` (RDAP nowhere).
Outcome shell(const std::string& command, const LoopbackWhoisServer* server = nullptr)
{
    std::string environment = "export ZONEDESK_RDAP_ENDPOINTS='" + rdapNowhere() + "' ";
    if (server != nullptr) {
        std::string list;
        for (const char* host : {"whois.verisign-grs.com",
                                 "whois.publicinterestregistry.org",
                                 "whois.cnnic.cn",
                                 "whois.jprs.jp"})
            list += std::string(host) + "=" + server->address() + ";";
        environment += "ZONEDESK_WHOIS_ENDPOINTS='" + list + "' ";
    } else {
        environment += "ZONEDESK_WHOIS_ENDPOINTS='whois.verisign-grs.com=127.0.0.1:9' ";
    }
    return runShell(environment + "; exec 2>/dev/null; " + command);
}

const std::string Cli = ZONEDESK_CLI_PATH;

TEST(CliOptions, GnuFormsUnknownOptionsAndMissingValues)
{
    TempDir dir;
    const std::string list = dir.write("list.txt", "a.cn\n").string();

    struct Case
    {
        std::string args;
        int exitCode;
    };

    // Usage errors (1) are found before anything is read or sent: the list here names nothing
    // the tests route anywhere but a closed port.
    // clang-format off
    const Case cases[] = {
        {"--version",                                         0},
        {"help lookup",                                       0},
        {"help frobnicate",                                   1},
        {"lookup -h",                                         0},
        {"lookup --warn-days=5 -q -f " + list,                4},
        {"lookup --warn-days 5 -q -f " + list,                4},
        {"lookup --warn-days",                                1},
        {"lookup --warn-days=-1 " + list,                     1},
        {"lookup --warn-days=soon " + list,                   1},
        {"lookup --format=xml " + list,                       1},
        {"lookup --encoding=latin1 " + list,                  1},
        {"lookup --connect-timeout=0 " + list,                1},
        {"lookup --timeout 0.5 " + list,                      1},
        {"lookup --connect-timeout 1 --timeout=5 -q " + list, 4},
        {"lookup --endpoint nonsense " + list,                1},
        {"lookup --rdap-endpoint=com=ftp://x/ " + list,       1},
        {"lookup --bogus " + list,                            1},
        {"lookup -x " + list,                                 1},
        {"lookup -o",                                         1},
        {"lookup -j",                                         1},
        {"lookup",                                            1},
        {"lookup -o - -j - " + list,                          1},
        {"lookup -q -- " + list,                              4},
        {"lookup -q -- --weird.cn",                           2}, // after --, a name: left out, not an option
        {"report --warn-days=3",                              1},
        {"serve-samples --port=70000",                        1},
    };
    // clang-format on
    for (const Case& c : cases)
        EXPECT_EQ(shell(Cli + " " + c.args).exitCode, c.exitCode) << c.args;
}

TEST(CliOptions, HelpCommandPrintsWhatTheCommandsOwnHelpPrints)
{
    for (const char* command : {"lookup", "history", "import"}) {
        const ShellRun help = runShell(Cli + " help " + command);
        const ShellRun own = runShell(Cli + " " + command + " --help");
        EXPECT_EQ(help.exitCode, 0);
        EXPECT_EQ(help.out, own.out) << command;
        EXPECT_NE(help.out.find("\nUsage: zonedesk-cli " + std::string(command) + " "), std::string::npos)
            << help.out;
    }
}

TEST(CliOptions, NamesOnTheCommandLineIncludingIdn)
{
    LoopbackWhoisServer server;
    const Outcome run = shell(Cli + " lookup -q example.com 'bücher.jp' 例子.cn", &server);
    EXPECT_TRUE(run.exitCode == 0 || run.exitCode == 4) << run.out; // looked up, whatever the replies say
    EXPECT_NE(run.out.find("0\twhois.verisign-grs.com\texample.com\t"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("1\twhois.jprs.jp\tbücher.jp\t"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("2\twhois.cnnic.cn\t例子.cn\t"), std::string::npos) << run.out;
    EXPECT_GE(server.connectionCount(), 2);

    // A path is a list file even when it is missing: a file error, not a name.
    EXPECT_EQ(shell(Cli + " lookup ./missing.txt").exitCode, 2);
    EXPECT_EQ(shell(Cli + " import example.com ''").exitCode, 1);
}

TEST(CliOptions, DashReadsStandardInputAndWritesStandardOutput)
{
    LoopbackWhoisServer server;
    server.on("taken.com",
              Behaviour::answer("Domain Name: TAKEN.COM\r\nRegistrar: R\r\n"
                                "Creation Date: 2001-01-01T00:00:00Z\r\n"
                                "Registry Expiry Date: 2031-01-01T00:00:00Z\r\n"));
    const Outcome jsonl = shell("printf 'taken.com\\n' | " + Cli + " lookup -q -j - -", &server);
    EXPECT_EQ(jsonl.exitCode, 0);
    EXPECT_TRUE(jsonl.out.starts_with("{\"index\":0,")) << jsonl.out;
    EXPECT_NE(jsonl.out.find("\"result\":\"registered\""), std::string::npos) << jsonl.out;

    const Outcome csv = shell("printf 'taken.com\\n' | " + Cli + " lookup -q -o - --header -f -", &server);
    EXPECT_EQ(csv.exitCode, 0);
    // GBK header row, then the export's line.
    EXPECT_TRUE(csv.out.starts_with("\"whois\xB7\xFE\xCE\xF1\xC6\xF7\",\"\xD3\xF2\xC3\xFB\",")) << csv.out;
    EXPECT_NE(csv.out.find("\r\n\"whois.verisign-grs.com\",\"taken.com\",\"\xB3\xC9\xB9\xA6\",\"2031-01-01"),
              std::string::npos)
        << csv.out;

    const Outcome tsv = shell(Cli + " lookup -q --header --format=tsv taken.com", &server);
    EXPECT_TRUE(tsv.out.starts_with("index\tserver\tdomain\tstatusText\texpiryDate\t")) << tsv.out;
    EXPECT_NE(tsv.out.find("\n0\twhois.verisign-grs.com\ttaken.com\t成功\t2031-01-01"), std::string::npos)
        << tsv.out;
}

TEST(CliOptions, AnUnwritableOutputStopsTheRunBeforeAnyQuery)
{
    LoopbackWhoisServer server;
    for (const char* option : {"-o", "-j", "--output=", "--jsonl="}) {
        const std::string separator = std::string(option).ends_with('=') ? "" : " ";
        const Outcome run =
            shell(Cli + " lookup -q " + option + separator + "/nonexistent/out taken.com", &server);
        EXPECT_EQ(run.exitCode, 2) << option;
    }
    EXPECT_EQ(server.connectionCount(), 0);
}

TEST(CliOptions, ServeSamplesPrintsShellAssignmentsOrSaysWhyItCannotListen)
{
    const LoopbackWhoisServer holder; // holds a port
    const std::string port = holder.address().substr(holder.address().rfind(':') + 1);
    const Outcome busy = shell(Cli + " serve-samples --port " + port + " 2>&1");
    EXPECT_EQ(busy.exitCode, 2);
    EXPECT_NE(busy.out.find("Address already in use"), std::string::npos) << busy.out;

    const Outcome run = shell("timeout 2 " + Cli + " serve-samples | head -2");
    EXPECT_TRUE(run.out.starts_with("ZONEDESK_WHOIS_ENDPOINTS='whois.")) << run.out;
    EXPECT_NE(run.out.find("'\nZONEDESK_RDAP_ENDPOINTS='com=http://127.0.0.1:"), std::string::npos)
        << run.out;
}

} // namespace
} // namespace zonedesk::test
