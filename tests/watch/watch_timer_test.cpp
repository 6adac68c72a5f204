// SPDX-License-Identifier: MIT
#include "watch/watch_timer.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/fake_systemctl.h"
#include "tests/support/scoped_variable.h"
#include "tests/support/shell_run.h"
#include "tests/support/temp_dir.h"
#include "watch/password_file.h"

namespace zonedesk::watch {
namespace {

using test::FakeSystemctl;

WatchConfig listed(const std::string& list, std::optional<std::int32_t> warnDays = {})
{
    WatchConfig config;
    config.list = list;
    config.warnDays = warnDays;
    return config;
}

TimerPlan
timerPlan(const std::string& name, Schedule schedule, const std::string& cli, const std::string& config)
{
    TimerPlan plan;
    plan.name = name;
    plan.schedule = schedule;
    plan.cli = cli;
    plan.config = config;
    return plan;
}

void writeText(const std::filesystem::path& path, std::string_view text)
{
    std::ofstream(path, std::ios::binary) << text;
}

/// A configuration folder of the test's own ($XDG_CONFIG_HOME) and a program to stand for
/// zonedesk-cli (systemd-analyze wants the program it is told to run to exist).
class WatchTimer : public ::testing::Test
{
protected:
    WatchTimer()
        : m_configHome("XDG_CONFIG_HOME", (m_dir.path() / "config").c_str())
    {}

    std::filesystem::path units() const { return m_dir.path() / "config" / "systemd" / "user"; }

    std::filesystem::path program(const std::string& name) const
    {
        const auto folder = m_dir.path() / "bin";
        std::filesystem::create_directories(folder);
        const auto path = folder / name;
        writeText(path, "#!/bin/sh\nexit 0\n");
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
        return path;
    }

    TimerPlan plan(const std::string& name, Schedule schedule = Schedule::Daily) const
    {
        return timerPlan(name, schedule, program("zonedesk-cli"), watchConfigPath(name));
    }

    test::TempDir m_dir;
    test::ScopedVariable m_configHome;
};

/// What `systemd-analyze verify` says of the units in `folder` beyond nothing; skipped without it.
std::string verifyComplaints(const std::filesystem::path& service, const std::filesystem::path& timer)
{
    const test::ShellRun run =
        test::runShell("PATH=/usr/bin:/bin systemd-analyze verify '" + service.string() + "' '" +
                       timer.string() + "' 2>&1; echo \"exit $?\"");
    return run.out == "exit 0\n" ? std::string() : run.out;
}

bool haveSystemdAnalyze()
{
    return std::filesystem::exists("/usr/bin/systemd-analyze") ||
           std::filesystem::exists("/bin/systemd-analyze");
}

/// `line`'s command as cron hands it to sh: "\%" becomes "%", and a bare "%" would end it.
std::string asCronRunsIt(const std::string& line)
{
    std::string command;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\\' && i + 1 < line.size() && line[i + 1] == '%') {
            command += '%';
            ++i;
        } else if (line[i] == '%') {
            break;
        } else {
            command += line[i];
        }
    }
    return command;
}

TEST(TimerName, ComesFromTheListsNameAndIsAlwaysValid)
{
    struct Case
    {
        const char* list;
        std::string name;
    };

    // clang-format off
    const Case cases[] = {
        {"my list.txt",          "my-list"},
        {"/home/me/domains.txt", "domains"},
        {"a..b  c.list",         "a-b-c"  },
        {"--x_y--.txt",          "x_y"    },
        {"中文.txt",           "watch"  },
        {"",                     "watch"  },
        {"客户 names.txt",     "names"  },
        {".hidden",              "hidden" },
        {"/tmp/",                "watch"  },
    };
    // clang-format on
    for (const Case& c : cases) {
        EXPECT_EQ(timerNameFor(c.list), c.name) << c.list;
        EXPECT_TRUE(validTimerName(timerNameFor(c.list))) << c.list;
    }
    const std::string longName = timerNameFor(std::string(30, 'a') + " " + std::string(40, 'b') + ".txt");
    EXPECT_EQ(longName.size(), 64U);
    EXPECT_TRUE(validTimerName(longName));
    // A cut that ends at a separator drops it.
    EXPECT_EQ(timerNameFor(std::string(63, 'a') + " b.txt"), std::string(63, 'a'));

    for (const char* bad : {"", "a b", "../x", "a.b", "a/b", "é"})
        EXPECT_FALSE(validTimerName(bad)) << bad;
    EXPECT_FALSE(validTimerName(std::string(65, 'a')));
}

TEST(TimerFolders, FollowXdgConfigHomeOnlyWhenItIsAnAbsolutePath)
{
    const test::ScopedVariable home("HOME", "/home/me");
    {
        const test::ScopedVariable xdg("XDG_CONFIG_HOME", "/elsewhere/conf");
        EXPECT_EQ(userUnitFolder(), "/elsewhere/conf/systemd/user");
        EXPECT_EQ(watchConfigPath("a"), "/elsewhere/conf/zonedesk/watch-a.ini");
    }
    for (const char* ignored : std::initializer_list<const char*>{"", "relative/conf", nullptr}) {
        const test::ScopedVariable xdg("XDG_CONFIG_HOME", ignored);
        EXPECT_EQ(userUnitFolder(), "/home/me/.config/systemd/user") << (ignored ? ignored : "unset");
        EXPECT_EQ(watchConfigPath("my-list"), "/home/me/.config/zonedesk/watch-my-list.ini");
    }
}

TEST(TimerUnits, AreTheseTexts)
{
    const TimerPlan plan = timerPlan(
        "domains", Schedule::Weekly, "/usr/bin/zonedesk-cli", "/home/me/.config/zonedesk/watch-domains.ini");
    EXPECT_EQ(serviceUnit(plan),
              "[Unit]\n"
              "Description=zonedesk watch domains: looks the list up and reports what changed\n"
              "\n"
              "[Service]\n"
              "Type=oneshot\n"
              "ExecStart=\"/usr/bin/zonedesk-cli\" \"watch\" \"--config\" "
              "\"/home/me/.config/zonedesk/watch-domains.ini\"\n");
    EXPECT_EQ(timerUnit(plan),
              "[Unit]\n"
              "Description=zonedesk watch domains, weekly\n"
              "\n"
              "[Timer]\n"
              "OnCalendar=weekly\n"
              "Persistent=true\n"
              "RandomizedDelaySec=15min\n"
              "\n"
              "[Install]\n"
              "WantedBy=timers.target\n");
    EXPECT_EQ(crontabLine(plan),
              "17 6 * * 1 '/usr/bin/zonedesk-cli' 'watch' '--config' "
              "'/home/me/.config/zonedesk/watch-domains.ini'");
}

TEST(TimerUnits, PathsAreQuotedAsSystemdAndCronReadThem)
{
    const TimerPlan plan = timerPlan(
        "a", Schedule::Daily, "/opt/my tools/100%/$HOME/zonedesk-cli", "/home/me/it's \"100%\" $x\\y.ini");
    const std::string service = serviceUnit(plan);
    // "%" is a specifier and "$" a variable in an argument; systemd expands no variable in the
    // program, so its "$" stays single.
    EXPECT_NE(service.find("ExecStart=\"/opt/my tools/100%%/$HOME/zonedesk-cli\" \"watch\" \"--config\" "
                           "\"/home/me/it's \\\"100%%\\\" $$x\\\\y.ini\"\n"),
              std::string::npos)
        << service;

    const test::ShellRun run = test::runShell(
        "printf '%s\\n' " + asCronRunsIt(crontabLine(plan).substr(std::string("17 6 * * * ").size())));
    EXPECT_EQ(run.out,
              "/opt/my tools/100%/$HOME/zonedesk-cli\nwatch\n--config\n/home/me/it's \"100%\" $x\\y.ini\n");
}

TEST_F(WatchTimer, SystemdAcceptsTheUnitsWhateverThePaths)
{
    if (!haveSystemdAnalyze())
        GTEST_SKIP() << "no systemd-analyze";
    const FakeSystemctl systemctl;
    // systemd refuses a quote or a backslash in a program's path even escaped: env runs such a one.
    for (const std::string cli : {"zonedesk-cli", "my 100% $tools", "it's \"quoted\" a\\b"}) {
        TimerPlan wanted = plan("name", Schedule::Weekly);
        wanted.cli = program(cli);
        wanted.config = m_dir.path() / "config" / "it's 100% $x\\y.ini";
        const TimerOutcome outcome = installTimer(wanted, listed("/a b.txt"));
        ASSERT_TRUE(outcome.ok) << outcome.message;
        EXPECT_EQ(
            verifyComplaints(units() / "zonedesk-watch-name.service", units() / "zonedesk-watch-name.timer"),
            "")
            << cli << "\n"
            << test::readFile(units() / "zonedesk-watch-name.service");
    }
    // The check itself: a program that is not there is a complaint.
    writeText(
        units() / "zonedesk-watch-name.service",
        serviceUnit(timerPlan("name", Schedule::Daily, m_dir.path() / "bin" / "nothing here", "/a.ini")));
    EXPECT_NE(
        verifyComplaints(units() / "zonedesk-watch-name.service", units() / "zonedesk-watch-name.timer"), "");
}

TEST_F(WatchTimer, AUnitSystemdWouldIgnoreIsNotSaidToRunAndCronIsOffered)
{
    const FakeSystemctl systemctl;

    struct Case
    {
        std::filesystem::path cli;
        std::filesystem::path config;
        const char* reason;
        bool needsAnalyze;
    };

    const Case cases[] = {
        {program("zonedesk-cli-\xff"), watchConfigPath("name"), "UTF-8", false},
        {program("zonedesk-cli"), m_dir.path() / "config" / "\xe4\xb8.ini", "UTF-8", false},
        // A program that is not there: only systemd-analyze tells.
        {m_dir.path() / "gone" / "zonedesk-cli", watchConfigPath("name"), "systemd-analyze", true},
    };
    for (const Case& c : cases) {
        if (c.needsAnalyze && !haveSystemdAnalyze())
            continue;
        TimerPlan wanted = plan("name");
        wanted.cli = c.cli;
        wanted.config = c.config;
        const TimerOutcome outcome = installTimer(wanted, listed("/a.txt"));
        EXPECT_TRUE(outcome.ok) << outcome.message;
        EXPECT_FALSE(outcome.enabled) << c.cli;
        EXPECT_NE(outcome.message.find(c.reason), std::string::npos) << outcome.message;
        EXPECT_EQ(outcome.crontab, crontabLine(wanted));
        EXPECT_EQ(outcome.written, std::vector<std::string>{c.config.string()});
        EXPECT_FALSE(std::filesystem::exists(units() / "zonedesk-watch-name.service"));
        EXPECT_EQ(systemctl.calls(), std::vector<std::string>{}) << c.cli;
    }
}

TEST_F(WatchTimer, InstallListRemoveAndListAgain)
{
    const FakeSystemctl systemctl;
    WatchConfig config = listed(m_dir.path() / "my list.txt", 20);
    config.targets = {"desktop"};
    const TimerOutcome installed = installTimer(plan("my-list"), config);
    ASSERT_TRUE(installed.ok) << installed.message;
    EXPECT_TRUE(installed.enabled);
    EXPECT_EQ(installed.crontab, "");
    EXPECT_NE(installed.message.find("daily"), std::string::npos) << installed.message;
    const std::vector<std::string> files = {watchConfigPath("my-list").string(),
                                            (units() / "zonedesk-watch-my-list.service").string(),
                                            (units() / "zonedesk-watch-my-list.timer").string()};
    EXPECT_EQ(installed.written, files);
    EXPECT_EQ(systemctl.calls(),
              (std::vector<std::string>{"--user daemon-reload",
                                        "--user enable --now zonedesk-watch-my-list.timer"}));
    std::string why;
    WatchConfig stored = config;
    stored.schedule = "daily"; // for a watch a crontab line runs, which has no timer to say it
    EXPECT_EQ(readWatchConfig(watchConfigPath("my-list"), why), stored) << why;
    EXPECT_EQ(test::readFile(files[1]), serviceUnit(plan("my-list")));
    EXPECT_EQ(test::readFile(files[2]), timerUnit(plan("my-list")));

    ASSERT_TRUE(installTimer(plan("other", Schedule::Weekly), listed("/b.txt")).ok);
    std::vector<InstalledTimer> timers = listTimers();
    ASSERT_EQ(timers.size(), 2U);
    EXPECT_EQ(timers[0].name, "my-list");
    EXPECT_EQ(timers[0].schedule, Schedule::Daily);
    EXPECT_EQ(timers[0].list, config.list);
    EXPECT_EQ(timers[0].config, watchConfigPath("my-list"));
    EXPECT_EQ(timers[1].name, "other");
    EXPECT_EQ(timers[1].schedule, Schedule::Weekly);

    // The same name again replaces its files, leaving nothing beside them.
    const TimerOutcome again = installTimer(plan("my-list", Schedule::Weekly), listed("/c.txt", 5));
    ASSERT_TRUE(again.ok) << again.message;
    timers = listTimers();
    ASSERT_EQ(timers.size(), 2U);
    EXPECT_EQ(timers[0].schedule, Schedule::Weekly);
    EXPECT_EQ(timers[0].list, "/c.txt");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(units()), {}), 4);

    const TimerOutcome removed = removeTimer("my-list");
    ASSERT_TRUE(removed.ok) << removed.message;
    EXPECT_EQ(systemctl.calls().at(6), "--user disable --now zonedesk-watch-my-list.timer");
    EXPECT_EQ(systemctl.calls().at(7), "--user daemon-reload");
    EXPECT_EQ(removed.written.size(), 3U);
    for (const std::string& file : files)
        EXPECT_FALSE(std::filesystem::exists(file)) << file;
    ASSERT_TRUE(removeTimer("other").ok);
    EXPECT_TRUE(listTimers().empty());

    const TimerOutcome none = removeTimer("my-list");
    EXPECT_FALSE(none.ok);
    EXPECT_NE(none.message.find("no watch timer named my-list"), std::string::npos) << none.message;
}

TEST_F(WatchTimer, AWatchOfASettingsFileAloneIsListedAndRemovedAndTheSavedPasswordGoesWithTheLast)
{
    const FakeSystemctl systemctl;
    std::string why;
    ASSERT_TRUE(writePasswordFile(savedPasswordPath(), "s3cret", why)) << why;
    for (const char* name : {"cron-a", "cron-b"}) {
        WatchConfig config = listed(std::string("/") + name + ".txt");
        config.schedule = "weekly";
        config.targets = {"mailto:me@example.com"};
        config.smtpPasswordFile = savedPasswordPath().string();
        ASSERT_TRUE(writeWatchConfig(watchConfigPath(name), config, why)) << why;
    }
    const std::vector<InstalledTimer> timers = listTimers();
    ASSERT_EQ(timers.size(), 2U);
    EXPECT_FALSE(timers[0].timer);
    EXPECT_EQ(timers[0].schedule, Schedule::Weekly);
    EXPECT_EQ(timers[0].targets, std::vector<std::string>{"mailto:me@example.com"});

    // No timer: no systemctl, and the crontab line the user may have added is named.
    const TimerOutcome first = removeTimer("cron-a");
    ASSERT_TRUE(first.ok) << first.message;
    EXPECT_TRUE(first.crontabMayRemain);
    EXPECT_NE(first.message.find("crontab -e"), std::string::npos) << first.message;
    EXPECT_TRUE(systemctl.calls().empty());
    EXPECT_TRUE(std::filesystem::exists(savedPasswordPath())); // cron-b names it still
    ASSERT_TRUE(removeTimer("cron-b").ok);
    EXPECT_FALSE(std::filesystem::exists(savedPasswordPath()));
    EXPECT_TRUE(listTimers().empty());
}

TEST_F(WatchTimer, WithoutAUserManagerTheCrontabLineIsGiven)
{
    {
        const FakeSystemctl absent(FakeSystemctl::Answer::Absent);
        const TimerOutcome outcome = installTimer(plan("a"), listed("/a.txt"));
        EXPECT_TRUE(outcome.ok) << outcome.message;
        EXPECT_FALSE(outcome.enabled);
        EXPECT_EQ(outcome.crontab, crontabLine(plan("a")));
        EXPECT_NE(outcome.message.find("systemctl was not found"), std::string::npos) << outcome.message;
        EXPECT_NE(outcome.message.find("crontab -e"), std::string::npos) << outcome.message;
        EXPECT_TRUE(std::filesystem::exists(units() / "zonedesk-watch-a.timer"));

        const TimerOutcome removed = removeTimer("a");
        EXPECT_TRUE(removed.ok) << removed.message;
        EXPECT_NE(removed.message.find("crontab"), std::string::npos) << removed.message;
        EXPECT_FALSE(std::filesystem::exists(units() / "zonedesk-watch-a.timer"));
    }
    // The manager reloads but can't enable: not enabled, and its own words say why.
    FakeSystemctl failing;
    failing.failOn("enable");
    const TimerOutcome outcome = installTimer(plan("b"), listed("/b.txt"));
    EXPECT_TRUE(outcome.ok);
    EXPECT_FALSE(outcome.enabled);
    EXPECT_EQ(outcome.crontab, crontabLine(plan("b")));
    EXPECT_NE(outcome.message.find("Failed to connect to bus"), std::string::npos) << outcome.message;
    failing.failOn("daemon-reload");
    EXPECT_FALSE(installTimer(plan("b"), listed("/b.txt")).enabled);
    EXPECT_EQ(failing.calls().back(), "--user daemon-reload"); // no enable after a failed reload
}

TEST_F(WatchTimer, BadNamesAndPathsAreRefusedBeforeAnythingIsWritten)
{
    const FakeSystemctl systemctl;
    ASSERT_TRUE(installTimer(plan("keep"), listed("/a.txt")).ok);
    for (const char* name : {"", "../keep", "a b", "keep.timer"}) {
        TimerPlan bad = plan("keep");
        bad.name = name;
        EXPECT_FALSE(installTimer(bad, listed("/a.txt")).ok) << name;
        const TimerOutcome removed = removeTimer(name);
        EXPECT_FALSE(removed.ok) << name;
        EXPECT_FALSE(removed.message.empty());
    }
    TimerPlan relative = plan("rel");
    relative.cli = "zonedesk-cli";
    TimerPlan newline = plan("nl");
    newline.cli = m_dir.path() / "a\nb";
    TimerPlan envClash = plan("env");
    envClash.cli = m_dir.path() / "a=\"b\"";
    for (const TimerPlan& bad : {relative, newline, envClash}) {
        const TimerOutcome outcome = installTimer(bad, listed("/a.txt"));
        EXPECT_FALSE(outcome.ok) << bad.cli;
        EXPECT_NE(outcome.message.find("zonedesk-cli"), std::string::npos) << outcome.message;
    }
    const TimerOutcome unwritable = installTimer(plan("w"), listed("/a\nb"));
    EXPECT_FALSE(unwritable.ok);
    EXPECT_NE(unwritable.message.find("list"), std::string::npos) << unwritable.message;
    EXPECT_EQ(listTimers().size(), 1U);
    EXPECT_EQ(systemctl.calls().size(), 2U);
}

TEST(UserSystemctl, AHangingCallIsKilledAtItsLimit)
{
    FakeSystemctl systemctl;
    systemctl.hangOn("daemon-reload");
    std::string why;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(runUserSystemctl({"daemon-reload"}, std::chrono::milliseconds(300), why));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
    EXPECT_EQ(why, "systemctl --user daemon-reload did not answer within 1 s");
    EXPECT_TRUE(runUserSystemctl({"is-system-running"}, std::chrono::seconds(20), why)) << why;
}

} // namespace
} // namespace zonedesk::watch
