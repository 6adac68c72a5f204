// SPDX-License-Identifier: MIT
#include "listfile/renewal_calendar.h"

#include <map>
#include <string>
#include <vector>

#include <libical/ical.h>

#include <gtest/gtest.h>

#include "core/encodings.h"
#include "tests/listfile/export_table_fixture.h"
#include "tests/support/shell_run.h"

namespace zonedesk::listfile {
namespace {

constexpr std::int64_t Now = 1796754415; // 2026-12-08T18:26:55Z
const core::CalendarDate Today{2026, 12, 8};

// Commas, semicolons, a line break and Chinese, long enough to be folded.
const std::string HardRegistrar =
    "阿里云计算有限公司（万网）, Alibaba; Cloud\n第二行：北京市朝阳区望京东园四区";

struct Event
{
    std::string start;
    std::string end;
    std::string description;
    int triggerSeconds = 0;
    int sequence = 0;
    std::string lastModified;
};

/// The file read back by libical: its events by UID.
std::map<std::string, Event> readBack(const std::string& text)
{
    std::map<std::string, Event> events;
    icalcomponent* calendar = icalparser_parse_string(text.c_str());
    EXPECT_NE(calendar, nullptr);
    if (calendar == nullptr)
        return events;
    EXPECT_STREQ(icalproperty_get_version(icalcomponent_get_first_property(calendar, ICAL_VERSION_PROPERTY)),
                 "2.0");
    for (icalcomponent* vevent = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT);
         vevent != nullptr;
         vevent = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT)) {
        Event& event = events[icalcomponent_get_uid(vevent)];
        const icaltimetype start = icalcomponent_get_dtstart(vevent);
        const icaltimetype end = icalcomponent_get_dtend(vevent);
        EXPECT_TRUE(start.is_date && end.is_date) << icalcomponent_get_uid(vevent);
        event.start = icaltime_as_ical_string(start);
        event.end = icaltime_as_ical_string(end);
        event.description = icalcomponent_get_description(vevent);
        event.sequence = icalcomponent_get_sequence(vevent);
        event.lastModified = icaltime_as_ical_string(icalproperty_get_lastmodified(
            icalcomponent_get_first_property(vevent, ICAL_LASTMODIFIED_PROPERTY)));
        icalcomponent* alarm = icalcomponent_get_first_component(vevent, ICAL_VALARM_COMPONENT);
        EXPECT_NE(alarm, nullptr);
        if (alarm != nullptr)
            event.triggerSeconds = icaldurationtype_as_int(
                icalproperty_get_trigger(icalcomponent_get_first_property(alarm, ICAL_TRIGGER_PROPERTY))
                    .duration);
    }
    icalcomponent_free(calendar);
    return events;
}

class RenewalCalendarTest : public ExportTableTest
{
protected:
    void SetUp() override
    {
        ExportTableTest::SetUp();

        const struct
        {
            const char* server;
            std::string domain; // UTF-8
            core::LookupStatus status;
            const char* expiry;
            std::string registrar;
        } rows[] = {
            // clang-format off
            {"whois.verisign-grs.com", "example.com",  core::LookupStatus::Success,       "2027-05-14T04:00:00Z", "Example Registrar"},
            {"whois.cnnic.cn",         "中文.cn",      core::LookupStatus::Success,       "2027-03-01 12:00:00",  HardRegistrar},
            {"whois.verisign-grs.com", "old.com",      core::LookupStatus::Success,       "1970-01-01",           ""},
            {"whois.verisign-grs.com", "far.com",      core::LookupStatus::Success,       "2999-12-31",           "R"},
            {"whois.verisign-grs.com", "never.com",    core::LookupStatus::Success,       "9999-12-31",           "R"},
            {"whois.verisign-grs.com", "noexpiry.com", core::LookupStatus::Success,       "",                     "R"},
            {"whois.verisign-grs.com", "withheld.com", core::LookupStatus::Success,       "REDACTED",             "R"},
            {"whois.verisign-grs.com", "free.com",     core::LookupStatus::NotRegistered, "",                     ""},
            {"whois.nic.tv",           "broken.tv",    core::LookupStatus::Error,         "2027-01-01",           ""},
            {"whois.verisign-grs.com", "example.com",  core::LookupStatus::Success,       "2027-05-14T04:00:00Z", "Example Registrar"},
            // clang-format on
        };

        for (const auto& row : rows) {
            core::DomainRecord& record = add(row.server, core::utf8ToGbk(row.domain));
            core::copyField(record.expiryDate, row.expiry);
            core::copyField(record.registrar, core::utf8ToGbk(row.registrar));
            settle(record, row.status);
        }
        add("whois.verisign-grs.com", "waiting.com"); // never looked up
    }

    RenewalCalendar exportAt(std::int64_t now) const { return renewalCalendar(*table, {30, now, Today}); }
};

TEST_F(RenewalCalendarTest, ReadsBackAsOneAllDayEventPerNameWithItsReminder)
{
    const RenewalCalendar calendar = exportAt(Now);
    EXPECT_EQ(calendar.events, 4);
    EXPECT_EQ(calendar.leftOut, 6);
    const auto events = readBack(calendar.text);

    const std::map<std::string, std::pair<std::string, std::string>> dates = {
        {"example.com@zonedesk", {"20270514", "20270515"}},
        {"xn--fiq228c.cn@zonedesk", {"20270301", "20270302"}},
        {"old.com@zonedesk", {"19700101", "19700102"}},
        {"far.com@zonedesk", {"29991231", "30000101"}},
    };
    ASSERT_EQ(events.size(), dates.size());
    for (const auto& [uid, startEnd] : dates) {
        ASSERT_EQ(events.count(uid), 1U) << uid;
        const Event& event = events.at(uid);
        EXPECT_EQ(event.start, startEnd.first) << uid;
        EXPECT_EQ(event.end, startEnd.second) << uid;
        EXPECT_EQ(event.triggerSeconds, -30 * 86400) << uid;
    }
    EXPECT_EQ(events.at("xn--fiq228c.cn@zonedesk").description,
              "Registrar: " + HardRegistrar + "\nExpiry: 2027-03-01 (83 days left on 2026-12-08)");
    EXPECT_EQ(events.at("old.com@zonedesk").description,
              "Registrar: not stated\nExpiry: 1970-01-01 (expired 20795 days before 2026-12-08)");

    // Folded by libical: every line CR LF ended and at most 75 octets without its end.
    const std::string& text = calendar.text;
    EXPECT_NE(text.find("\r\n "), std::string::npos);
    for (std::size_t at = 0, end = 0; at < text.size(); at = end + 2) {
        end = text.find("\r\n", at);
        ASSERT_NE(end, std::string::npos) << "no CR LF after " << text.substr(at);
        EXPECT_LE(end - at, 75U) << text.substr(at, end - at);
        EXPECT_EQ(text.substr(at, end - at).find('\n'), std::string::npos);
    }
}

TEST_F(RenewalCalendarTest, ALaterExportKeepsTheUidsAndRaisesSequenceAndLastModified)
{
    const auto first = readBack(exportAt(Now).text);
    const auto sameMinute = readBack(exportAt(Now + 4).text);
    const auto later = readBack(exportAt(Now + 3600).text);
    ASSERT_EQ(first.size(), later.size());
    for (const auto& [uid, event] : first) {
        ASSERT_EQ(later.count(uid), 1U) << uid;
        EXPECT_LE(event.sequence, sameMinute.at(uid).sequence);
        EXPECT_LT(event.sequence, later.at(uid).sequence);
        EXPECT_LT(event.lastModified, sameMinute.at(uid).lastModified);
        EXPECT_EQ(later.at(uid).lastModified, "20261208T192655Z");
    }
}

// Another reader than the writer's own library: Python's icalendar, where it is installed.
TEST_F(RenewalCalendarTest, PythonsIcalendarReadsTheSameEvents)
{
    std::string python;
    for (const std::string candidate : {"python3", "/usr/bin/python3"}) {
        if (test::runShell(candidate + " -c 'import icalendar' 2>/dev/null").exitCode == 0) {
            python = candidate;
            break;
        }
    }
    if (python.empty())
        GTEST_SKIP() << "no python3 with the icalendar module";
    const auto file = dir.write("renewals.ics", exportAt(Now).text);
    const test::ShellRun read = test::runShell(
        python +
        " -c 'import sys, icalendar\n"
        "events = icalendar.Calendar.from_ical(open(sys.argv[1], \"rb\").read()).walk(\"VEVENT\")\n"
        "print(len(events))\n"
        "for event in events:\n"
        "    if event[\"UID\"] == \"xn--fiq228c.cn@zonedesk\":\n"
        "        sys.stdout.buffer.write(event[\"DESCRIPTION\"].encode())\n' '" +
        file.string() + "'");
    ASSERT_EQ(read.exitCode, 0);
    EXPECT_EQ(read.out,
              "4\nRegistrar: " + HardRegistrar + "\nExpiry: 2027-03-01 (83 days left on 2026-12-08)");
}

} // namespace
} // namespace zonedesk::listfile
