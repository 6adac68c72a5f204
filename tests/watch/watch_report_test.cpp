// SPDX-License-Identifier: MIT
// The report of a finished run, from the table alone (no history): what is near expiry, what
// counts as failed, and what a quiet report says.
#include "watch/watch_report.h"

#include <gtest/gtest.h>

#include "core/calendar_date.h"
#include "core/domain_table.h"
#include "core/field_copy.h"
#include "core/lookup_status.h"

namespace zonedesk::watch {
namespace {

const core::CalendarDate Today = *core::readDate("2026-12-08");

/// Record `index` settled with `status`, its expiry `expiry` and registrar `registrar` (GBK).
void settle(core::DomainTable& table,
            std::size_t index,
            const char* name,
            core::LookupStatus status,
            const char* expiry = "",
            const char* registrar = "")
{
    core::DomainRecord& record = table[index];
    core::copyField(record.server, "whois.verisign-grs.com");
    core::copyField(record.domain, name);
    core::copyField(record.expiryDate, expiry);
    core::copyField(record.registrar, registrar);
    record.status = static_cast<std::int32_t>(status);
    core::publishDone(record);
}

TEST(WatchReport, NearExpiryIsARegisteredNamesSoonestFirstAndAFailureIsCountedNeverFine)
{
    const auto table = core::DomainTable::allocate();
    ASSERT_TRUE(table);
    table->setCount(6);
    settle(*table, 0, "\xA7\xD1pple.com", core::LookupStatus::Success, "2026-12-30", "R"); // Cyrillic а, GBK
    settle(*table, 1, "far.com", core::LookupStatus::Success, "2027-12-30", "R");
    settle(*table, 2, "soon.com", core::LookupStatus::Success, "2026-12-10", "\xD6\xD0\xCE\xC4"); // GBK
    // A reply that said "not registered" may still have held a date: nothing expires.
    settle(*table, 3, "free.com", core::LookupStatus::NotRegistered, "2026-12-09");
    settle(*table, 4, "broken.com", core::LookupStatus::Error);
    // Record 5 was never asked (a run whose worker could not start): not fine either.
    core::copyField((*table)[5].domain, "unasked.com");
    core::copyField((*table)[5].server, "whois.verisign-grs.com");

    std::string why;
    const WatchReport report = buildWatchReport(*table, nullptr, nullptr, 30, Today, why);
    EXPECT_EQ(why, "");
    EXPECT_EQ(report.total, 6U);
    EXPECT_EQ(report.failed, 2U);
    ASSERT_EQ(report.notices.size(), 2U);
    EXPECT_EQ(report.notices[0].name, "soon.com");
    EXPECT_EQ(report.notices[0].daysLeft, 2);
    EXPECT_EQ(report.notices[0].registrar, "\xE4\xB8\xAD\xE6\x96\x87"); // UTF-8
    EXPECT_EQ(report.notices[0].aLabel, "");
    EXPECT_EQ(report.notices[1].name, "\xD0\xB0pple.com");
    EXPECT_EQ(report.notices[1].aLabel, "xn--pple-43d.com"); // a homograph is told with its A-label
    EXPECT_EQ(report.notices[1].expiry, "2026-12-30");

    WatchReport quiet;
    quiet.total = 6;
    quiet.failed = 2;
    EXPECT_EQ(quietSummary(quiet), "4 of 6 names fine, 2 lookups failed");
    quiet.failed = 0;
    EXPECT_EQ(quietSummary(quiet), "all 6 names fine");

    // What --tell leaves out is never told as fine.
    WatchReport told = report;
    keepTold(told, {"dropped"});
    EXPECT_TRUE(told.empty());
    EXPECT_EQ(quietSummary(told), "none of the kinds asked, 2 other notices");
}

} // namespace
} // namespace zonedesk::watch
