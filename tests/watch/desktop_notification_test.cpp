// SPDX-License-Identifier: MIT
#include "watch/desktop_notification.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <iterator>
#include <string>

#include <sys/socket.h>
#include <sys/un.h>

#include <gtest/gtest.h>

#include "core/unique_fd.h"
#include "tests/support/notification_listener_process.h"
#include "tests/support/scoped_variable.h"
#include "tests/support/temp_dir.h"

namespace zonedesk::watch {
namespace {

using namespace std::chrono_literals;

Notice notice(NoticeKind kind, std::string name)
{
    Notice item;
    item.kind = kind;
    item.name = std::move(name);
    return item;
}

Notice nearExpiry(std::string name, std::optional<std::int32_t> daysLeft)
{
    Notice item = notice(NoticeKind::NearExpiry, std::move(name));
    item.daysLeft = daysLeft;
    return item;
}

Notice change(NoticeKind kind, std::string name, std::string before, std::string after)
{
    Notice item = notice(kind, std::move(name));
    item.before = std::move(before);
    item.after = std::move(after);
    return item;
}

WatchReport sevenNotices()
{
    WatchReport report;
    report.total = 40;
    report.notices = {
        notice(NoticeKind::Dropped, "old.com"),
        nearExpiry("soon.org", 12),
        nearExpiry("later.net", 29),
        change(NoticeKind::ExpiryMovedBack, "x.com", "2027-05-01", "2026-05-01"),
        change(NoticeKind::RegistrarChanged, "y.com", "Old Registrar", "New Registrar"),
        change(NoticeKind::OwnerChanged, "y.com", "", "Someone"),
        notice(NoticeKind::FailingAgain, "w.com"),
    };
    report.notices.back().reason = "timed out";
    return report;
}

TEST(DesktopNotice, CountsThenTheFirstFiveNamesThenHowManyMore)
{
    const DesktopNotice shown = desktopNotice(sevenNotices());
    // Six distinct names: y.com has two notices.
    EXPECT_EQ(shown.summary, "zonedesk: 6 names need attention");
    EXPECT_EQ(shown.body,
              "1 dropped, 2 expiring within 30 days, 1 expiry moved back, 1 registrar changed, "
              "1 owner changed, 1 failing again\n"
              "dropped: old.com\n"
              "expires in 12 days: soon.org\n"
              "expires in 29 days: later.net\n"
              "expiry moved back: x.com (2027-05-01 → 2026-05-01)\n"
              "registrar changed: y.com (Old Registrar → New Registrar)\n"
              "and 2 more");
    EXPECT_TRUE(shown.urgent);
}

TEST(DesktopNotice, FiveNoticesNeedNoMoreLineAndOneNameIsSingular)
{
    WatchReport report;
    report.total = 3;
    report.warnDays = 1;
    report.notices = {nearExpiry("a.com", 1)};
    DesktopNotice shown = desktopNotice(report);
    EXPECT_EQ(shown.summary, "zonedesk: 1 name needs attention");
    EXPECT_EQ(shown.body, "1 expiring within 1 day\nexpires in 1 day: a.com");

    report.notices.assign(5, notice(NoticeKind::FailingAgain, "b.com"));
    shown = desktopNotice(report);
    EXPECT_EQ(shown.body.find("more"), std::string::npos) << shown.body;
    EXPECT_TRUE(shown.body.ends_with("failing again: b.com")) << shown.body;
}

TEST(DesktopNotice, AnEmptyReportSaysTheNamesAreFine)
{
    WatchReport report;
    report.total = 12;
    const DesktopNotice shown = desktopNotice(report);
    EXPECT_EQ(shown.summary, "zonedesk: all 12 names fine");
    EXPECT_EQ(shown.body, "");
    EXPECT_FALSE(shown.urgent);
}

TEST(DesktopNotice, ExpiryLinesAndUrgency)
{
    struct Row
    {
        Notice item;
        std::string line;
        bool urgent;
    };

    Notice dated = nearExpiry("d.com", std::nullopt);
    dated.expiry = "2026-12-20";
    const Row rows[] = {
        {nearExpiry("t.com", 0), "expires today: t.com", false},     // today is not yet expired
        {nearExpiry("e.com", -1), "expired 1 day ago: e.com", true}, // expired: critical
        {nearExpiry("f.com", -40), "expired 40 days ago: f.com", true},
        {dated, "expires on 2026-12-20: d.com", false}, // no day count, a date
        {nearExpiry("u.com", std::nullopt), "expires soon: u.com", false},
        {change(NoticeKind::OwnerChanged, "o.com", "", ""),
         "owner changed: o.com",
         false},                                                                    // no values: no ()
        {notice(NoticeKind::FailingAgain, "w.com"), "failing again: w.com", false}, // no reason: no ()
    };
    for (const Row& row : rows) {
        WatchReport report;
        report.notices = {row.item};
        const DesktopNotice shown = desktopNotice(report);
        EXPECT_TRUE(shown.body.ends_with('\n' + row.line)) << shown.body;
        EXPECT_EQ(shown.urgent, row.urgent) << row.line;
    }
}

TEST(DesktopNotice, RegistryTextIsEscapedCleanedAndCut)
{
    WatchReport report;
    Notice changed =
        change(NoticeKind::RegistrarChanged, "y.com", "<b>&", "Evil\x1b[31m\r\nCorp\x7f\xc2\x85");
    Notice failing = notice(NoticeKind::FailingAgain, "w.com");
    failing.reason = "bad \xff byte";
    Notice owner =
        change(NoticeKind::OwnerChanged, "z.com", std::string(100, 'a'), "\u202e\u4e2d\u202c\u2028x");
    report.notices = {changed, owner, failing};
    const DesktopNotice shown = desktopNotice(report);
    EXPECT_NE(shown.body.find("\nregistrar changed: y.com (&lt;b&gt;&amp; → Evil[31m  Corp)\n"),
              std::string::npos)
        << shown.body;
    EXPECT_NE(shown.body.find("\nowner changed: z.com (" + std::string(80, 'a') + "… → 中 x)\n"),
              std::string::npos)
        << shown.body;
    EXPECT_TRUE(shown.body.ends_with("\nfailing again: w.com (bad \xef\xbf\xbd byte)")) << shown.body;
}

TEST(DesktopNotification, WithoutASessionBusAddressNothingIsTried)
{
    const test::ScopedVariable noBus("DBUS_SESSION_BUS_ADDRESS", nullptr);
    std::string why;
    EXPECT_FALSE(showDesktopNotice(desktopNotice(sevenNotices()), 1s, why));
    EXPECT_EQ(why, "no D-Bus session bus (DBUS_SESSION_BUS_ADDRESS is not set)");
}

TEST(DesktopNotification, ABusThatIsNotThereIsSaid)
{
    const test::TempDir dir;
    const std::string address = "unix:path=" + (dir.path() / "no-bus").string();
    const test::ScopedVariable gone("DBUS_SESSION_BUS_ADDRESS", address.c_str());
    std::string why;
    EXPECT_FALSE(showDesktopNotice(desktopNotice(sevenNotices()), 1s, why));
    EXPECT_TRUE(why.starts_with("cannot connect to the D-Bus session bus: ")) << why;
}

TEST(DesktopNotification, ABusThatNeverAnswersIsLeftAtTheLimit)
{
    // A socket that takes connections into its backlog and never reads: the handshake stalls.
    const test::TempDir dir;
    const std::string path = (dir.path() / "frozen-bus").string();
    const core::UniqueFd socket(::socket(AF_UNIX, SOCK_STREAM, 0));
    sockaddr_un bus{};
    bus.sun_family = AF_UNIX;
    ASSERT_LT(path.size(), sizeof bus.sun_path);
    std::copy(path.begin(), path.end(), std::begin(bus.sun_path));
    ASSERT_EQ(::bind(socket.get(), reinterpret_cast<const sockaddr*>(&bus), sizeof bus), 0);
    ASSERT_EQ(::listen(socket.get(), 4), 0);
    const std::string address = "unix:path=" + path;
    const test::ScopedVariable frozen("DBUS_SESSION_BUS_ADDRESS", address.c_str());
    std::string why;
    EXPECT_FALSE(showDesktopNotice(desktopNotice(sevenNotices()), 1s, why));
    EXPECT_EQ(why, "the D-Bus session bus did not answer within 1000 ms");
}

// On the session bus that ctest starts for this program (dbus-run-session with a configuration
// that starts no services); run any other way, these tests skip rather than reach a real desktop.
class OnTestBus : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (std::getenv("ZONEDESK_TEST_SESSION_BUS") == nullptr) // NOLINT(concurrency-mt-unsafe)
            GTEST_SKIP() << "needs the test's own session bus: run through ctest (dbus-run-session)";
    }

    test::TempDir dir;
};

TEST_F(OnTestBus, TheServerGetsTheNoticeWithItsUrgency)
{
    const test::NotificationListenerProcess server(dir.path() / "calls.jsonl", false);
    ASSERT_TRUE(server.ready());
    const DesktopNotice urgent = desktopNotice(sevenNotices());
    DesktopNotice calm{"zonedesk: 1 name needs attention", "owner changed: a.com", false};
    std::string why;
    ASSERT_TRUE(showDesktopNotice(urgent, 5s, why)) << why;
    ASSERT_TRUE(showDesktopNotice(calm, 5s, why)) << why;

    const auto calls = server.calls();
    ASSERT_EQ(calls.size(), 2U);
    EXPECT_EQ(calls[0]["app_name"], "zonedesk");
    EXPECT_EQ(calls[0]["replaces_id"], 0);
    EXPECT_EQ(calls[0]["app_icon"], "io.github.zonedesk.Zonedesk");
    EXPECT_EQ(calls[0]["desktop_entry"], "io.github.zonedesk.Zonedesk");
    EXPECT_EQ(calls[0]["summary"], urgent.summary);
    EXPECT_EQ(calls[0]["body"], urgent.body);
    EXPECT_EQ(calls[0]["actions"], 0);
    EXPECT_EQ(calls[0]["expire_timeout"], -1);
    EXPECT_EQ(calls[0]["urgency"], 2);
    EXPECT_EQ(calls[1]["summary"], calm.summary);
    EXPECT_EQ(calls[1]["urgency"], 1);
}

TEST_F(OnTestBus, NoNotificationServerIsSaid)
{
    ASSERT_FALSE(test::notificationNameOwned());
    std::string why;
    EXPECT_FALSE(showDesktopNotice(desktopNotice(sevenNotices()), 5s, why));
    EXPECT_EQ(why, "no notification server is running on the session bus");
}

TEST_F(OnTestBus, AServerThatNeverAnswersIsLeftAtTheLimit)
{
    const test::NotificationListenerProcess server(dir.path() / "calls.jsonl", true);
    ASSERT_TRUE(server.ready());
    std::string why;
    EXPECT_FALSE(showDesktopNotice(desktopNotice(sevenNotices()), 1s, why));
    EXPECT_NE(why.find("did not answer within 1000 ms"), std::string::npos) << why;
    EXPECT_EQ(server.calls().size(), 1U);
}

} // namespace
} // namespace zonedesk::watch
