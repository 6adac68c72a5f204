// SPDX-License-Identifier: MIT
// zonedesk-cli watch as cron or a timer runs it: two runs against the demo responder with a reply
// changed in between, the message each target gets, and the timers it sets up.
#include <fstream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <glib.h>

#include <gtest/gtest.h>

#include "core/calendar_date.h"
#include "tests/support/data_home.h"
#include "tests/support/loopback_http_server.h"
#include "tests/support/loopback_smtp_server.h"
#include "tests/support/shell_run.h"
#include "tests/support/temp_dir.h"

#include <nlohmann/json.hpp>

namespace zonedesk::test {
namespace {

const bool dataHomeIsolated = [] {
    isolateDataHome();
    return true;
}();

const std::string Cli = ZONEDESK_CLI_PATH;

std::string quoted(const std::filesystem::path& path)
{
    return "'" + path.string() + "'";
}

std::string isoInDays(int days)
{
    return core::CalendarDate::fromDayNumber(core::today().dayNumber() + days).iso();
}

/// A .org registry's reply for a registered name.
std::string
orgRecord(const std::string& name, int expiresInDays, const std::string& registrar = "Example Registrar")
{
    return "Domain Name: " + name +
           "\r\nCreation Date: 2001-01-01T00:00:00Z\r\nRegistry Expiry Date: " + isoInDays(expiresInDays) +
           "T04:00:00Z\r\nRegistrar: " + registrar + "\r\n";
}

const std::string OrgNotFound = "Domain not found.\r\n";

/// The same with its status codes and name servers stated.
std::string securedOrgRecord(const std::string& name,
                             const std::vector<std::string>& statuses,
                             const std::vector<std::string>& servers,
                             int expiresInDays = 400)
{
    std::string record = orgRecord(name, expiresInDays);
    for (const std::string& status : statuses)
        record += "Domain Status: " + status + " https://icann.org/epp#" + status + "\r\n";
    for (const std::string& server : servers)
        record += "Name Server: " + server + "\r\n";
    return record + "DNSSEC: unsigned\r\n";
}

/// The two runs of a watch, each with its standard output, standard error and exit code.
struct TwoRuns
{
    int firstCode = -1;
    int secondCode = -1;
    std::string first;
    std::string second;
    std::string firstErr;
    std::string secondErr;
};

/// A folder of replies for the demo responder, and the replies that replace some of them before
/// the second run.
class WatchFixture
{
public:
    WatchFixture()
    {
        std::filesystem::create_directories(dir.path() / "replies");
        std::filesystem::create_directories(dir.path() / "later");
    }

    void reply(const std::string& name, const std::string& text) { dir.write("replies/" + name, text); }

    void later(const std::string& name, const std::string& text) { dir.write("later/" + name, text); }

    /// Runs `zonedesk-cli watch ARGS` twice against serve-samples (with `prefix` before each
    /// command, VAR=value words, say), the later replies put in place between the runs.
    TwoRuns twice(const std::string& args, const std::string& prefix = "")
    {
        const auto env = dir.path() / "endpoints";
        const std::string watch =
            prefix + Cli + " watch -q --db " + quoted(dir.path() / "history.sqlite3") + " " + args;
        // The file of an earlier call must go first: read before the new server writes it, it
        // would send this call's watch to a server that is gone.
        const std::string script =
            "rm -f " + quoted(env) + "; " + Cli + " serve-samples --replies " +
            quoted(dir.path() / "replies") + " > " + quoted(env) +
            " & server=$!; for i in $(seq 200); do grep -q RDAP " + quoted(env) +
            " 2>/dev/null && break; sleep 0.05; done; set -a; . " + quoted(env) + "; set +a; " + watch +
            " > " + quoted(dir.path() / "out1") + " 2> " + quoted(dir.path() / "err1") + "; echo $? > " +
            quoted(dir.path() / "code1") + "; cp " + quoted(dir.path() / "later") + "/* " +
            quoted(dir.path() / "replies") + "/ 2>/dev/null; " + watch + " > " + quoted(dir.path() / "out2") +
            " 2> " + quoted(dir.path() / "err2") + "; echo $? > " + quoted(dir.path() / "code2") +
            "; kill $server";
        runShell(script);
        TwoRuns runs;
        runs.firstCode = std::stoi("0" + readFile(dir.path() / "code1"));
        runs.secondCode = std::stoi("0" + readFile(dir.path() / "code2"));
        runs.first = readFile(dir.path() / "out1");
        runs.second = readFile(dir.path() / "out2");
        runs.firstErr = readFile(dir.path() / "err1");
        runs.secondErr = readFile(dir.path() / "err2");
        return runs;
    }

    TempDir dir;
};

bool names(const std::string& text, const std::string& name)
{
    return text.find(name) != std::string::npos;
}

TEST(WatchCli, TheSecondRunTellsTheDropTheExpiryMovedBackAndTheNearExpiryNameAndNothingElse)
{
    WatchFixture watch;
    watch.reply("steady.org", orgRecord("STEADY.ORG", 400));
    watch.reply("gone.org", orgRecord("GONE.ORG", 300, "Old Registrar"));
    watch.reply("back.org", orgRecord("BACK.ORG", 400));
    watch.reply("soon.org", orgRecord("SOON.ORG", 10));
    watch.reply("renewed.org", orgRecord("RENEWED.ORG", 100));
    watch.later("gone.org", OrgNotFound);
    watch.later("back.org", orgRecord("BACK.ORG", 200));
    watch.later("renewed.org", orgRecord("RENEWED.ORG", 465)); // good news is no news
    const auto list = watch.dir.write("names.txt", "steady.org\ngone.org\nback.org\nsoon.org\nrenewed.org\n");

    const TwoRuns runs = watch.twice(quoted(list) + " --warn-days 30 --notify -");
    EXPECT_EQ(runs.firstCode, 3) << runs.firstErr; // soon.org is near expiry
    EXPECT_EQ(runs.secondCode, 3) << runs.secondErr;
    EXPECT_TRUE(names(runs.first, "soon.org")) << runs.first;
    for (const char* quiet : {"gone.org", "back.org", "steady.org", "renewed.org"})
        EXPECT_FALSE(names(runs.first, quiet)) << quiet << "\n" << runs.first;

    const std::vector<std::string> told{
        "gone.org", "back.org", "soon.org", "Old Registrar", isoInDays(10), isoInDays(200)};
    for (const std::string& each : told)
        EXPECT_TRUE(names(runs.second, each)) << each << "\n" << runs.second;
    for (const char* quiet : {"steady.org", "renewed.org"})
        EXPECT_FALSE(names(runs.second, quiet)) << quiet << "\n" << runs.second;
    // One message: one subject line, the drop first and the near-expiry name before the change.
    EXPECT_EQ(runs.second.rfind("zonedesk: ", 0), 0U) << runs.second;
    EXPECT_EQ(runs.second.find("zonedesk: ", 1), std::string::npos) << runs.second;
    EXPECT_LT(runs.second.find("gone.org"), runs.second.find("soon.org"));
    EXPECT_LT(runs.second.find("soon.org"), runs.second.find("back.org"));
}

/// The text of every base64 part of a mail, decoded, one after the other.
std::string mailText(const std::string& data)
{
    std::string text;
    std::size_t at = 0;
    while ((at = data.find("Content-Transfer-Encoding: base64\r\n\r\n", at)) != std::string::npos) {
        at = data.find("\r\n\r\n", at) + 4;
        const std::size_t end = data.find("\r\n--", at);
        const std::string lines = data.substr(at, end - at);
        gsize length = 0;
        guchar* decoded = g_base64_decode(lines.c_str(), &length);
        text.append(reinterpret_cast<const char*>(decoded), length);
        g_free(decoded);
        at = end;
    }
    return text;
}

/// Runs a command under a session bus of its own with the tests' notification server on it,
/// which writes each notification as a JSON line to `notes`.
std::string onATestBus(const TempDir& dir, const std::filesystem::path& notes)
{
    const auto script =
        dir.write("on-bus.sh",
                  "conf=$1; listener=$2; notes=$3; shift 3\n"
                  "exec " ZONEDESK_DBUS_RUN_SESSION " --config-file=\"$conf\" -- sh -c '\n"
                  "  listener=$1; notes=$2; shift 2\n"
                  "  \"$listener\" \"$notes\" > \"$notes.ready\" &\n"
                  "  server=$!\n"
                  "  for i in $(seq 200); do grep -q ready \"$notes.ready\" && break; sleep 0.05; done\n"
                  "  \"$@\"; status=$?\n"
                  "  kill $server; exit $status' sh \"$listener\" \"$notes\" \"$@\"\n");
    return "sh " + quoted(script) +
           " '" ZONEDESK_TEST_BUS_CONFIG "' '" ZONEDESK_NOTIFICATION_LISTENER_PATH "' " + quoted(notes) + " ";
}

/// The names a message's line tells, of those given.
std::set<std::string> namesIn(const std::string& text, const std::vector<std::string>& candidates)
{
    std::set<std::string> found;
    for (const std::string& name : candidates) {
        if (text.find(name) != std::string::npos)
            found.insert(name);
    }
    return found;
}

/// The watch's options for every kind of target: standard output, a webhook, a mail, the desktop.
std::string everyTarget(const LoopbackHttpServer& hook, const LoopbackSmtpServer& mail)
{
    return " --notify - --notify " + hook.url("/hook") + " --notify mailto:me@example.com --smtp " +
           mail.url() + " --smtp-from watch@example.com --notify desktop";
}

/// The second run's desktop notification, as the test bus wrote it; null when there is none.
nlohmann::json secondNotification(const std::filesystem::path& notes)
{
    const std::string shown = readFile(notes);
    const std::size_t second = shown.find('\n');
    if (second == std::string::npos)
        return nullptr;
    return nlohmann::json::parse(
        shown.substr(second + 1, shown.find('\n', second + 1) - second - 1), nullptr, false);
}

TEST(WatchCli, EveryTargetGetsOneMessageNamingExactlyWhatNeedsTheHolder)
{
    if (std::string(ZONEDESK_DBUS_RUN_SESSION).empty())
        GTEST_SKIP() << "no dbus-run-session";
    WatchFixture watch;
    watch.reply("steady.org", orgRecord("STEADY.ORG", 400));
    watch.reply("gone.org", orgRecord("GONE.ORG", 300));
    watch.reply("back.org", orgRecord("BACK.ORG", 400));
    watch.reply("soon.org", orgRecord("SOON.ORG", 10));
    watch.later("gone.org", OrgNotFound);
    watch.later("back.org", orgRecord("BACK.ORG", 200));
    const auto list = watch.dir.write("names.txt", "steady.org\ngone.org\nback.org\nsoon.org\n");
    LoopbackHttpServer hook;
    LoopbackSmtpServer mail;
    const auto notes = watch.dir.path() / "notes.jsonl";
    const TwoRuns runs = watch.twice(quoted(list) + everyTarget(hook, mail), onATestBus(watch.dir, notes));
    EXPECT_EQ(runs.secondCode, 3) << runs.secondErr;
    const std::vector<std::string> all{"steady.org", "gone.org", "back.org", "soon.org"};
    const std::set<std::string> told{"gone.org", "back.org", "soon.org"};

    // Standard output.
    EXPECT_EQ(namesIn(runs.second, all), told) << runs.second;

    // The webhook: the facts as data, one notice for each.
    const auto requests = hook.requests();
    ASSERT_EQ(requests.size(), 2U) << runs.firstErr << runs.secondErr;
    const auto body = nlohmann::json::parse(requests[1].body);
    std::set<std::pair<std::string, std::string>> notices;
    for (const auto& notice : body.at("notices"))
        notices.emplace(notice.at("kind").get<std::string>(), notice.at("name").get<std::string>());
    EXPECT_EQ(notices,
              (std::set<std::pair<std::string, std::string>>{
                  {"dropped", "gone.org"}, {"near-expiry", "soon.org"}, {"expiry-moved-back", "back.org"}}))
        << requests[1].body;

    // The mail, in both its parts.
    const auto mails = mail.mails();
    ASSERT_EQ(mails.size(), 2U) << runs.secondErr;
    EXPECT_EQ(mails[1].recipients, std::vector<std::string>{"<me@example.com>"});
    EXPECT_NE(mails[1].data.find("Subject: zonedesk: 1 dropped, 1 expiring within 30 days, 1 changed\r\n"),
              std::string::npos)
        << mails[1].data;
    EXPECT_EQ(namesIn(mailText(mails[1].data), all), told);

    // The desktop notification.
    const auto notification = secondNotification(notes);
    ASSERT_FALSE(notification.is_null()) << readFile(notes);
    EXPECT_EQ(namesIn(notification.at("body").get<std::string>(), all), told) << notification;
    EXPECT_EQ(notification.at("urgency"), 2) << notification; // a drop
}

TEST(WatchCli, ALiftedLockOtherServersAndARedemptionAreToldFirstToEveryTarget)
{
    if (std::string(ZONEDESK_DBUS_RUN_SESSION).empty())
        GTEST_SKIP() << "no dbus-run-session";
    const std::string lock = "clientTransferProhibited";
    const std::vector<std::string> servers{"NS1.EXAMPLE.NET", "NS2.EXAMPLE.NET"};
    WatchFixture watch;
    watch.reply("steady.org", securedOrgRecord("STEADY.ORG", {lock}, servers));
    watch.reply("unlocked.org", securedOrgRecord("UNLOCKED.ORG", {lock}, servers));
    watch.reply("moved.org", securedOrgRecord("MOVED.ORG", {lock}, servers));
    watch.reply("going.org", securedOrgRecord("GOING.ORG", {lock}, servers));
    watch.reply("soon.org", securedOrgRecord("SOON.ORG", {lock}, servers, 10));
    watch.later("steady.org", securedOrgRecord("STEADY.ORG", {lock}, {servers[1], servers[0]})); // reordered
    watch.later("unlocked.org", securedOrgRecord("UNLOCKED.ORG", {"ok"}, servers));
    watch.later("moved.org", securedOrgRecord("MOVED.ORG", {lock}, {"NS1.EVIL.EXAMPLE", servers[1]}));
    watch.later("going.org", securedOrgRecord("GOING.ORG", {"redemptionPeriod", lock}, servers));
    const auto list =
        watch.dir.write("names.txt", "steady.org\nunlocked.org\nmoved.org\ngoing.org\nsoon.org\n");
    LoopbackHttpServer hook;
    LoopbackSmtpServer mail;
    const auto notes = watch.dir.path() / "notes.jsonl";
    const TwoRuns runs = watch.twice(quoted(list) + everyTarget(hook, mail), onATestBus(watch.dir, notes));
    EXPECT_EQ(runs.secondCode, 3) << runs.secondErr;
    const std::vector<std::string> all{"steady.org", "unlocked.org", "moved.org", "going.org", "soon.org"};
    const std::set<std::string> told{"unlocked.org", "moved.org", "going.org", "soon.org"};
    // Each security change before the near-expiry name, with before and after.
    const auto securityFirst = [](const std::string& text) {
        for (const char* name : {"unlocked.org", "moved.org", "going.org"})
            EXPECT_LT(text.find(name), text.find("soon.org")) << name << "\n" << text;
    };

    EXPECT_EQ(namesIn(runs.second, all), told) << runs.second;
    securityFirst(runs.second);
    for (const char* shown : {"transfer lock lifted: clientTransferProhibited -> (none)",
                              "ns1.example.net ns2.example.net -> ns1.evil.example ns2.example.net",
                              "entered redemption / pending delete: (none) -> redemptionPeriod"})
        EXPECT_TRUE(names(runs.second, shown)) << shown << "\n" << runs.second;

    const auto requests = hook.requests();
    ASSERT_EQ(requests.size(), 2U) << runs.firstErr << runs.secondErr;
    std::vector<std::pair<std::string, std::string>> notices;
    const auto body = nlohmann::json::parse(requests[1].body);
    for (const auto& notice : body.at("notices"))
        notices.emplace_back(notice.at("name").get<std::string>(),
                             notice.at("change").is_null() ? notice.at("kind").get<std::string>()
                                                           : notice.at("change").get<std::string>());
    EXPECT_EQ(notices,
              (std::vector<std::pair<std::string, std::string>>{{"unlocked.org", "transfer-lock-lifted"},
                                                                {"moved.org", "name-servers-changed"},
                                                                {"going.org", "entered-redemption"},
                                                                {"soon.org", "near-expiry"}}))
        << requests[1].body;

    const auto mails = mail.mails();
    ASSERT_EQ(mails.size(), 2U) << runs.secondErr;
    EXPECT_NE(mails[1].data.find("Subject: zonedesk: 3 security changes, 1 expiring within 30 days\r\n"),
              std::string::npos)
        << mails[1].data;
    EXPECT_EQ(namesIn(mailText(mails[1].data), all), told);
    securityFirst(mailText(mails[1].data));

    const auto notification = secondNotification(notes);
    ASSERT_FALSE(notification.is_null()) << readFile(notes);
    EXPECT_EQ(namesIn(notification.at("body").get<std::string>(), all), told) << notification;
    securityFirst(notification.at("body").get<std::string>());
}

TEST(WatchCli, TellChoosesWhatTheMessageSaysNotTheExitStatus)
{
    WatchFixture watch;
    watch.reply("unlocked.org",
                securedOrgRecord("UNLOCKED.ORG", {"clientTransferProhibited"}, {"NS1.EXAMPLE.NET"}));
    watch.reply("soon.org", orgRecord("SOON.ORG", 10));
    watch.reply("held.org", securedOrgRecord("HELD.ORG", {"serverHold"}, {}));
    watch.later("unlocked.org", securedOrgRecord("UNLOCKED.ORG", {"ok"}, {"NS1.EXAMPLE.NET"}));
    watch.reply("newly.org", securedOrgRecord("NEWLY.ORG", {"ok"}, {"NS1.EXAMPLE.NET"}));
    watch.later("newly.org", securedOrgRecord("NEWLY.ORG", {"clientHold"}, {"NS1.EXAMPLE.NET"}));
    const auto list = watch.dir.write("names.txt", "unlocked.org\nsoon.org\nheld.org\nnewly.org\n");
    const TwoRuns runs = watch.twice(quoted(list) + " --tell transfer-lock-lifted,at-risk");
    EXPECT_EQ(runs.secondCode, 3) << runs.secondErr; // soon.org is near expiry, though not told
    EXPECT_TRUE(names(runs.second, "unlocked.org  transfer lock lifted")) << runs.second;
    EXPECT_TRUE(names(runs.second, "held.org  still on hold: serverHold")) << runs.second;
    EXPECT_TRUE(names(runs.first, "held.org")) << runs.first; // told at every run while so
    EXPECT_FALSE(names(runs.second, "soon.org")) << runs.second;
    EXPECT_TRUE(names(runs.second, "newly.org  put on hold")) << runs.second; // at risk from this run on
    const auto config =
        watch.dir.write("watch.ini", "[watch]\nlist=" + list.string() + "\ntell=near-expiry locked\n");
    EXPECT_EQ(runShell(Cli + " watch -q --config " + quoted(config) + " 2>/dev/null").exitCode,
              1); // no such kind
}

TEST(WatchCli, ATargetThatFailsTwiceIsSaidAndTheOthersStillGetTheMessage)
{
    WatchFixture watch;
    watch.reply("soon.org", orgRecord("SOON.ORG", 5));
    const auto list = watch.dir.write("names.txt", "soon.org\n");
    LoopbackHttpServer broken({HttpAnswer::with(500)});
    LoopbackHttpServer flaky({HttpAnswer::with(503), HttpAnswer::with(200)});
    const TwoRuns runs = watch.twice(quoted(list) + " --notify " + broken.url("/a") + " --notify " +
                                     flaky.url("/b") + " --notify -");
    EXPECT_EQ(runs.firstCode, 5); // a message was not delivered: more urgent than the expiry
    EXPECT_NE(runs.firstErr.find(broken.url("/a") + ": the webhook answered HTTP 500"), std::string::npos)
        << runs.firstErr;
    EXPECT_EQ(runs.firstErr.find(flaky.url("/b")), std::string::npos) << runs.firstErr; // the retry got it
    EXPECT_EQ(broken.requests().size(), 4U); // tried twice in each run
    EXPECT_EQ(flaky.requests().size(), 3U);  // 503, then 200; then 200 at once
    EXPECT_TRUE(names(runs.first, "soon.org"));
}

TEST(WatchCli, AnNtfyTopicIsPublishedAtItsServersRootAndSlackGetsText)
{
    WatchFixture watch;
    watch.reply("soon.org", orgRecord("SOON.ORG", 5));
    const auto list = watch.dir.write("names.txt", "soon.org\n");
    LoopbackHttpServer ntfy;
    const TwoRuns runs =
        watch.twice(quoted(list) + " --notify " + ntfy.url("/my-domains") + " --webhook-format ntfy");
    EXPECT_EQ(runs.firstCode, 3) << runs.firstErr;
    const auto requests = ntfy.requests();
    ASSERT_EQ(requests.size(), 2U);
    EXPECT_EQ(requests[0].path, "/");
    const auto body = nlohmann::json::parse(requests[0].body);
    EXPECT_EQ(body.at("topic"), "my-domains");
    EXPECT_NE(body.at("message").get<std::string>().find("soon.org"), std::string::npos) << requests[0].body;

    LoopbackHttpServer slack;
    watch.twice(quoted(list) + " --notify " + slack.url("/services/T0/B0") + " --webhook-format slack");
    ASSERT_EQ(slack.requests().size(), 2U);
    EXPECT_EQ(slack.requests()[0].path, "/services/T0/B0");
    EXPECT_NE(nlohmann::json::parse(slack.requests()[0].body).at("text").get<std::string>().find("soon.org"),
              std::string::npos);
}

TEST(WatchCli, TheMailLoginComesFromAFileOrTheEnvironmentAndTheMailMayCarryTheCalendar)
{
    WatchFixture watch;
    watch.reply("soon.org", orgRecord("SOON.ORG", 5));
    const auto list = watch.dir.write("names.txt", "soon.org\n");
    const auto password = watch.dir.write("password", "from-the-file\n");
    std::filesystem::permissions(password,
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    LoopbackSmtpServer mail;
    const std::string target = quoted(list) + " --notify mailto:me@example.com --smtp " + mail.url() +
                               " --smtp-user watcher@example.com";
    watch.twice(target + " --smtp-password-file " + quoted(password), "ZONEDESK_SMTP_PASSWORD=ignored ");
    watch.twice(target + " --attach-calendar", "ZONEDESK_SMTP_PASSWORD=from-the-environment ");
    const auto mails = mail.mails();
    ASSERT_EQ(mails.size(), 4U);
    EXPECT_EQ(mails[0].user, "watcher@example.com");
    EXPECT_EQ(mails[0].password, "from-the-file");
    EXPECT_EQ(mails[0].sender, "<watcher@example.com>"); // the user is the sender
    EXPECT_EQ(mails[3].password, "from-the-environment");
    EXPECT_EQ(mails[1].data.find("renewals.ics"), std::string::npos);
    for (const char* header : {"Content-Type: text/calendar; charset=utf-8; method=PUBLISH\r\n",
                               "Content-Disposition: attachment; filename=\"renewals.ics\"\r\n"})
        EXPECT_NE(mails[3].data.find(header), std::string::npos) << header << mails[3].data;
    const std::string calendar = mailText(mails[3].data);
    std::string expiry = isoInDays(5);
    std::erase(expiry, '-');
    for (const std::string& line :
         {std::string("UID:soon.org@zonedesk\r\n"), "DTSTART;VALUE=DATE:" + expiry + "\r\n"})
        EXPECT_NE(calendar.find(line), std::string::npos) << line << calendar;

    // A sender that is no address is refused before anything is asked.
    const auto refused = runShell(Cli + " watch " + quoted(list) + " --notify mailto:me@example.com --smtp " +
                                  mail.url() + " --smtp-from 'not an address' 2>&1");
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.out.find("--smtp-from"), std::string::npos) << refused.out;
    // So is a mail server without its scheme.
    const auto noScheme = runShell(Cli + " watch " + quoted(list) +
                                   " --notify mailto:me@example.com --smtp mail.example.com:587 2>&1");
    EXPECT_EQ(noScheme.exitCode, 1);
    EXPECT_NE(noScheme.out.find("give smtps://HOST:PORT"), std::string::npos) << noScheme.out;
}

TEST(WatchCli, ANameFailingTwiceIsToldAtTheSecondRunWithItsReason)
{
    WatchFixture watch;
    watch.reply("broken.org", "hello world\r\n");
    watch.reply("fine.org", orgRecord("FINE.ORG", 400));
    const auto list = watch.dir.write("names.txt", "broken.org\nfine.org\n");

    const TwoRuns runs = watch.twice(quoted(list));
    EXPECT_EQ(runs.firstCode, 4); // a failed lookup, as lookup says it
    EXPECT_EQ(runs.first, "");    // one failure is not yet news
    EXPECT_EQ(runs.secondCode, 4);
    EXPECT_TRUE(names(runs.second, "broken.org")) << runs.second;
    EXPECT_TRUE(names(runs.second, "unrecognised")) << runs.second;
    EXPECT_FALSE(names(runs.second, "fine.org")) << runs.second;
}

TEST(WatchCli, ARegistrarChangeIsToldAndAWithheldOwnerIsNot)
{
    WatchFixture watch;
    watch.reply("moved.org", orgRecord("MOVED.ORG", 400, "First Registrar"));
    watch.reply("hidden.org",
                orgRecord("HIDDEN.ORG", 400) +
                    "Registrant Name: Holder\r\nRegistrant Organization: Holder Ltd\r\n");
    watch.later("moved.org", orgRecord("MOVED.ORG", 400, "Second Registrar"));
    watch.later(
        "hidden.org",
        orgRecord("HIDDEN.ORG", 400) +
            "Registrant Name: REDACTED FOR PRIVACY\r\nRegistrant Organization: REDACTED FOR PRIVACY\r\n");
    const auto list = watch.dir.write("names.txt", "moved.org\nhidden.org\n");

    const TwoRuns runs = watch.twice(quoted(list));
    EXPECT_EQ(runs.secondCode, 0) << runs.secondErr;
    EXPECT_TRUE(names(runs.second, "moved.org")) << runs.second;
    EXPECT_TRUE(names(runs.second, "First Registrar")) << runs.second;
    EXPECT_TRUE(names(runs.second, "Second Registrar")) << runs.second;
    EXPECT_FALSE(names(runs.second, "hidden.org")) << runs.second;
}

TEST(WatchCli, NothingToSaySendsNothingUnlessAlwaysIsGiven)
{
    WatchFixture watch;
    watch.reply("fine.org", orgRecord("FINE.ORG", 400));
    const auto list = watch.dir.write("names.txt", "fine.org\n");
    const TwoRuns quiet = watch.twice(quoted(list));
    EXPECT_EQ(quiet.firstCode, 0);
    EXPECT_EQ(quiet.first, "");
    EXPECT_EQ(quiet.second, "");

    const TwoRuns always = watch.twice(quoted(list) + " --always");
    EXPECT_EQ(always.secondCode, 0);
    EXPECT_TRUE(names(always.second, "1 name is fine")) << always.second;

    // A lookup that failed once is not news yet, but --always never calls it fine.
    watch.reply("broken.org", "hello world\r\n");
    const auto two = watch.dir.write("two.txt", "fine.org\nbroken.org\n");
    const TwoRuns failing = watch.twice(quoted(two) + " --always");
    EXPECT_TRUE(names(failing.first, "1 of 2 names fine, 1 lookup failed")) << failing.first;
}

TEST(WatchCli, ASettingsFileNamesTheWatchAndTheCommandLineWins)
{
    WatchFixture watch;
    watch.reply("soon.org", orgRecord("SOON.ORG", 20));
    const auto list = watch.dir.write("names.txt", "soon.org\n");
    const auto config =
        watch.dir.write("watch.ini", "[watch]\r\nlist=" + list.string() + "\r\nwarn-days=30\r\nnotify=-\r\n");
    const TwoRuns runs = watch.twice("--config " + quoted(config));
    EXPECT_EQ(runs.firstCode, 3);
    EXPECT_TRUE(names(runs.first, "soon.org")) << runs.first << runs.firstErr;

    const TwoRuns narrower = watch.twice("--config " + quoted(config) + " --warn-days 7");
    EXPECT_EQ(narrower.firstCode, 0) << narrower.firstErr;
    EXPECT_EQ(narrower.first, "");

    // The lookup's own settings are read from the file too: a run told to be quiet says nothing.
    std::ofstream(config, std::ios::app) << "quiet=1\r\njobs=1\r\n";
    const TwoRuns quiet = watch.twice("--config " + quoted(config));
    EXPECT_EQ(quiet.firstErr, "");
    EXPECT_TRUE(names(quiet.first, "soon.org")) << quiet.first;
}

TEST(WatchCli, RefusesTargetsItCannotServeBeforeAskingAnyone)
{
    TempDir dir;
    const auto list = dir.write("names.txt", "example.org\n");
    const auto err = dir.path() / "err";
    const auto run = [&](const std::string& args) {
        return runShell(Cli + " watch " + quoted(list) + " " + args + " 2> " + quoted(err)).exitCode;
    };
    EXPECT_EQ(run("--notify mailto:me@example.com"), 1); // no --smtp
    EXPECT_NE(readFile(err).find("--smtp"), std::string::npos) << readFile(err);
    EXPECT_EQ(run("--notify pager"), 1);
    EXPECT_EQ(run("--notify http://example.com/hook"), 1); // plain http leaves the machine
    EXPECT_EQ(run("--notify 'mailto:me@example.com%0d%0aBcc:x@example.net' --smtp smtp://127.0.0.1:1"), 1);
    EXPECT_EQ(runShell(Cli + " watch 2>/dev/null").exitCode, 1);
    EXPECT_EQ(
        runShell(Cli + " watch --config " + quoted(dir.path() / "missing.ini") + " 2>/dev/null").exitCode, 2);
}

TEST(WatchCli, InstallsListsAndRemovesATimerWhereNoUserManagerAnswers)
{
    TempDir dir;
    const auto list = dir.write("my names.txt", "example.org\n");
    const std::string environment =
        "XDG_CONFIG_HOME=" + quoted(dir.path() / "config") + " PATH=/nonexistent ";
    // Every option of the watch goes into its settings file, where the timer's run finds it.
    const char* const kept[][2] = {
        {"--warn-days 14", "warn-days=14"},
        {"--notify desktop", "notify=desktop"},
        {"--prefer-rdap", "prefer-rdap=1"},
        {"--ten-registries", "ten-registries=1"},
        {"--jobs 4", "jobs=4"},
        {"--encoding GBK", "encoding=gbk"},
        {"--connect-timeout 2.5", "connect-timeout=2.5"},
        {"--timeout 20", "timeout=20"},
        {"--notify-timeout 5", "notify-timeout=5"},
        {"--endpoint whois.example=127.0.0.1:4343", "endpoint=whois.example=127.0.0.1:4343"},
        {"--rdap-endpoint example=https://127.0.0.1:1/", "rdap-endpoint=example=https://127.0.0.1:1/"},
        {"--quiet", "quiet=1"},
    };
    std::string options;
    for (const auto& option : kept)
        options += std::string(" ") + option[0];
    const auto installed = runShell(environment + Cli + " watch --install-timer weekly " + quoted(list) +
                                    options + " 2>" + quoted(dir.path() / "err"));
    EXPECT_EQ(installed.exitCode, 0) << readFile(dir.path() / "err");
    const auto units = dir.path() / "config/systemd/user";
    EXPECT_TRUE(std::filesystem::exists(units / "zonedesk-watch-my-names.service"));
    const std::string timer = readFile(units / "zonedesk-watch-my-names.timer");
    EXPECT_NE(timer.find("Persistent=true"), std::string::npos) << timer;
    EXPECT_NE(timer.find("OnCalendar=weekly"), std::string::npos) << timer;
    // No systemctl: the crontab line runs the same watch.
    EXPECT_NE(installed.out.find(" * * 1 "), std::string::npos) << installed.out;
    EXPECT_NE(installed.out.find("'watch' '--config'"), std::string::npos) << installed.out;
    const std::string settings = readFile(dir.path() / "config/zonedesk/watch-my-names.ini");
    for (const auto& option : kept)
        EXPECT_NE(settings.find(std::string(option[1]) + "\r\n"), std::string::npos) << settings;

    const auto listed = runShell(environment + Cli + " watch --list-timers");
    EXPECT_EQ(listed.exitCode, 0);
    EXPECT_EQ(listed.out.rfind("my-names\tweekly\t" + list.string() + "\t", 0), 0U) << listed.out;

    EXPECT_EQ(runShell(environment + Cli + " watch --remove-timer my-names 2>/dev/null").exitCode, 0);
    EXPECT_FALSE(std::filesystem::exists(units / "zonedesk-watch-my-names.timer"));
    EXPECT_EQ(runShell(environment + Cli + " watch --list-timers").out, "");
    EXPECT_EQ(runShell(environment + Cli + " watch --remove-timer my-names 2>/dev/null").exitCode, 2);
    EXPECT_EQ(runShell(environment + Cli + " watch --remove-timer '../x' 2>/dev/null").exitCode, 1);
}

} // namespace
} // namespace zonedesk::test
