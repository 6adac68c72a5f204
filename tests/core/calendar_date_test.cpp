// SPDX-License-Identifier: MIT
// Reading calendar dates from the registries' notations.
#include "core/calendar_date.h"

#include <gtest/gtest.h>

#include "tests/parse/parsed_record.h"
#include "tests/support/shared_corpus.h"

namespace zonedesk::test {
namespace {

using core::readDate;
using core::readTimeOfDay;
using core::WhoisServer;

TEST(ReadDate, EveryNotationTheRegistriesWrite)
{
    struct Case
    {
        const char* text;
        std::optional<WhoisServer> server;
        const char* iso; // nullptr: no date
    };

    const Case cases[] = {
        {"2028-09-14T04:00:00Z", {}, "2028-09-14"},
        {"2028-09-14T04:00:00.0Z", {}, "2028-09-14"},
        {"2028-09-14T04:00:00+08:00", {}, "2028-09-14"},
        {"2028-09-14", {}, "2028-09-14"},
        {"2027-05-14 09:31:07", WhoisServer::Cnnic, "2027-05-14"},
        {"14-sep-2028", {}, "2028-09-14"},
        {"14-Sep-2028 04:00:00 UTC", {}, "2028-09-14"},
        {"31-JUL-2010", {}, "2010-07-31"},
        {"2028/09/14", WhoisServer::Jprs, "2028-09-14"},
        {"2008/11/20 (JST)", WhoisServer::Jprs, "2008-11-20"},
        {"2028.09.14", {}, "2028-09-14"},
        {"14-09-2028", WhoisServer::Hkirc, "2028-09-14"},
        {"14-09-2028", WhoisServer::Pir, nullptr}, // day or month first?
        {"Connected (2015/03/31)", WhoisServer::Jprs, "2015-03-31"},
        {"             07-Mar-2028 Record expires on", {}, "2028-03-07"},
        {"2012-03-17 12:48 Trailing 2013-01-01", {}, "2012-03-17"}, // the first date
        {"2028-13-40", {}, nullptr},
        {"31-Feb-2028", {}, nullptr},
        {"29-Feb-2028", {}, "2028-02-29"},
        {"29-Feb-2027", {}, nullptr},
        {"2028-09/14", {}, nullptr}, // mixed separators
        {"N/A", {}, nullptr},
        {"null", {}, nullptr},
        {"", {}, nullptr},
        {"Wed, 21 Oct 2009 10:33:33 UTC", {}, "2009-10-21"},
        {"Fri Mar 26 23:59:59 GMT 2010", WhoisServer::BizRegistry, "2010-03-26"},
        {"Mar 26 2010", {}, "2010-03-26"}, // the month named: no doubt
        {"X2028-09-14", {}, nullptr},      // inside a word
        {"20221101 00:10:24", {}, "2022-11-01"},
        {"25319000", {}, nullptr}, // a number
        {"2020. 05. 19.", {}, "2020-05-19"},
        {"2001-Aug-23.", {}, "2001-08-23"},
        {"14.05.2026 12:31:19", {}, "2026-05-14"},
        {"4.7.2018", {}, "2018-07-04"},
        {"31.02.2026", {}, nullptr},
        {"Version 3.10.2 at 89.185.109.153", {}, nullptr},
        {"21-March-2002", {}, "2002-03-21"},
        {"02nd August 2000", {}, "2000-08-02"},
        {"30th April 2003 at 00:00:00.000", {}, "2003-04-30"},
        {"Tue Dec 12 2000", {}, "2000-12-12"},
        {"03/27/2013", {}, "2013-03-27"},          // month first
        {"30/10/2002 00:00:00", {}, "2002-10-30"}, // day first
        {"05/05/2019", {}, "2019-05-05"},
        {"02/11/2019", {}, nullptr}, // which is the month?
    };
    for (const Case& c : cases) {
        const auto date = readDate(c.text, c.server);
        if (c.iso == nullptr)
            EXPECT_FALSE(date) << c.text << " gave " << date->iso();
        else
            EXPECT_EQ(date ? date->iso() : "none", c.iso) << c.text;
    }
}

// A date field's value is a date only when it opens with one.
TEST(ReadDate, LeadingDateOpensTheText)
{
    for (const char* text :
         {"2028-09-14T04:00:00Z", "  Tue Dec 12 2000", "Wed, 21 Oct 2009 10:33:33 UTC", "May 22 2002"})
        EXPECT_TRUE(core::readLeadingDate(text)) << text;
    for (const char* text : {"before 1 January 1996",
                             "before Aug-1996",
                             "registrar AT ns.il 19990605 (Assigned)",
                             "see at www.register.bg",
                             "Tuesday",
                             ""})
        EXPECT_FALSE(core::readLeadingDate(text)) << text;
    EXPECT_EQ(core::readLeadingDate("4.7.2018 (paid)")->iso(), "2018-07-04");
}

TEST(ReadDate, TheTimeOfDayIsTheOneWrittenAfterTheDate)
{
    // clang-format off
    const std::pair<const char*, const char*> cases[] = {
        {"2026-03-02T08:15:27Z",           "08:15:27"}, // ISO 8601: no word break before the hours
        {"2026-03-02T08:15:27.0Z",         "08:15:27"},
        {"2026-03-02T08:15:27+08:00",      "08:15:27"},
        {"2026-03-02 08:15:27",            "08:15:27"},
        {"2026-03-02 8:05",                "8:05"},
        {"02.03.2026 08:15",               "08:15"},
        {"Mar 26 23:59:59 GMT 2010",       "23:59:59"},
        {"Tue Mar 02 08:15:27 2026",       "08:15:27"},
        {"2026-03-02",                     ""},
        {"20260302081527",                 ""},
        {"2026-03-02 24:00",               ""},
        {"2026-03-02 12:345",              ""},
    };
    // clang-format on
    for (const auto& [text, time] : cases)
        EXPECT_EQ(readTimeOfDay(text).value_or(""), time) << text;
}

TEST(ReadDate, DaysBetweenCountsCalendarDays)
{
    EXPECT_EQ(core::daysBetween({2028, 2, 28}, {2028, 3, 1}), 2);
    EXPECT_EQ(core::daysBetween({2027, 12, 31}, {2027, 12, 31}), 0);
    EXPECT_EQ(core::daysBetween({2028, 1, 1}, {2027, 12, 31}), -1);
    EXPECT_EQ((core::CalendarDate{1970, 1, 1}.dayNumber()), 0);
    for (const core::CalendarDate date : {core::CalendarDate{2028, 2, 29}, core::CalendarDate{1999, 12, 31}})
        EXPECT_EQ(core::CalendarDate::fromDayNumber(date.dayNumber()), date);
}

// Every date the shared corpus's manifest gives, read from what the parser stored.
TEST(ReadDate, EveryDateOfTheSharedReplies)
{
    const auto replies = corpusReplies();
    if (replies.empty())
        GTEST_SKIP() << "shared WHOIS replies not found";
    int checked = 0;
    for (const CorpusReply& reply : replies) {
        if (reply.kind != "registered")
            continue;
        const std::string host = hostForSuffix(reply.suffix);
        const auto server = core::serverForHost(host);
        const Parsed parsed = parseAs(host, corpusBytes(reply));
        // clang-format off
        const std::pair<const std::string*, const std::string*> dates[] = {
            {&reply.expiry,  &parsed.expiryDate      },
            {&reply.created, &parsed.registrationDate},
            {&reply.updated, &parsed.updatedDate     },
        };
        // clang-format on
        for (const auto& [expected, stored] : dates) {
            if (expected->empty())
                continue;
            // The old thin-registry rules store the time of the registry's database update there,
            // not the record's: a date, but another one.
            if (expected == &reply.updated && reply.era == "legacy" &&
                (reply.suffix == "com" || reply.suffix == "net" || reply.suffix == "cc" ||
                 reply.suffix == "tv")) {
                EXPECT_TRUE(readDate(*stored, server)) << reply.file << ": \"" << *stored << "\"";
                continue;
            }
            const auto date = readDate(*stored, server);
            EXPECT_EQ(date ? date->iso() : "none", *expected) << reply.file << ": \"" << *stored << "\"";
            ++checked;
        }
    }
    EXPECT_GT(checked, 50);
}

} // namespace
} // namespace zonedesk::test
