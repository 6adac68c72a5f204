// SPDX-License-Identifier: MIT
// ICU, libical and GIO come in modules loaded when a command needs them: a lookup maps none, each
// feature maps its own, and a missing module costs its feature alone, with a reason.
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/data_home.h"
#include "tests/support/loopback_whois_server.h"
#include "tests/support/shell_run.h"
#include "tests/support/temp_dir.h"

namespace zonedesk::test {
namespace {

const bool dataHomeIsolated = [] {
    isolateDataHome();
    return true;
}();

const std::vector<std::string> Modules = {"zonedesk-icu.so", "zonedesk-ical.so", "zonedesk-gio.so"};

std::string quoted(const std::filesystem::path& path)
{
    return "'" + path.string() + "'";
}

TEST(ModuleLoading, EachCommandLoadsOnlyTheModulesItNeedsAndGoesOnWithoutThem)
{
    TempDir dir;
    const auto ascii = dir.write("ascii.txt", "a.com\nb.cn\n");
    const auto lookalike = dir.write("lookalike.txt", "\xD0\xB0pple.com\n"); // a Cyrillic а
    LoopbackWhoisServer server;
    server.on("a.com",
              Behaviour::answer("Domain Name: A.COM\r\nRegistrar: Alpha\r\n"
                                "Registry Expiry Date: 2031-05-14T04:00:00Z\r\n"));
    server.on("b.cn", Behaviour::answer("No matching record.\r\n"));
    const std::string routed = "ZONEDESK_WHOIS_ENDPOINTS='whois.verisign-grs.com=" + server.address() +
                               ";whois.cnnic.cn=" + server.address() + "' ZONEDESK_RDAP_ENDPOINTS='" +
                               rdapNowhere() + "' ";
    const std::string calendar = "calendar --no-history -o " + quoted(dir.path() / "r.ics") + " a.com";
    const auto empty = dir.path() / "no-modules";
    std::filesystem::create_directory(empty);
    const std::string without = "ZONEDESK_MODULE_DIR=" + quoted(empty) + " ";

    struct Case
    {
        std::string environment;
        std::string args;
        int exitCode;
        std::vector<std::string> loaded; // of Modules; the others must stay unloaded
        std::string said;                // in standard output or error
        std::string notSaid = "\x01";
    };

    const std::vector<Case> cases = {
        {routed, "lookup --no-history -q " + quoted(ascii), 0, {}, ""},
        {"", "import -q " + quoted(ascii), 0, {}, ""},
        {"", "import -q " + quoted(lookalike), 0, {"zonedesk-icu.so"}, "(xn--pple-43d.com)"},
        {routed, calendar, 0, {"zonedesk-ical.so"}, "wrote 1 event"},
        {"", "--version", 0, Modules, "\nICU ", " ?\n"},
        // Without the modules: no calendar and no lookup, said why; the look-alike goes unmarked, said
        // why; versions unknown.
        {routed + without,
         calendar,
         2,
         {},
         "no calendar: zonedesk-ical.so is not installed (looked in " + empty.string() + ")"},
        {without,
         "import -q " + quoted(lookalike),
         0,
         {},
         "imported 1 domain (UTF-8); names beyond ASCII were not checked for look-alikes: zonedesk-icu.so is "
         "not installed",
         "xn--"},
        {without, "--version", 0, {}, "libical ?\nGIO ?"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.environment + c.args);
        const auto err = dir.path() / "err.txt";
        const ShellRun run =
            runShell(c.environment + "LD_DEBUG=files LD_DEBUG_OUTPUT=" + quoted(dir.path() / "ld") + " " +
                     ZONEDESK_CLI_PATH + " " + c.args + " 2>" + quoted(err));
        EXPECT_EQ(run.exitCode, c.exitCode) << readFile(err);
        const std::string said = run.out + readFile(err);
        EXPECT_NE(said.find(c.said), std::string::npos) << said;
        EXPECT_EQ(said.find(c.notSaid), std::string::npos) << said;
        std::string loads;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
            if (entry.path().filename().string().starts_with("ld.")) {
                loads += readFile(entry.path());
                std::filesystem::remove(entry.path());
            }
        }
        for (const std::string& module : Modules) {
            const bool wanted = std::find(c.loaded.begin(), c.loaded.end(), module) != c.loaded.end();
            EXPECT_EQ(loads.find("/" + module + " [0];  dynamically loaded") != std::string::npos, wanted)
                << module;
        }
    }
}

} // namespace
} // namespace zonedesk::test
