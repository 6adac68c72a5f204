// SPDX-License-Identifier: MIT
// The renewal calendar's months: the expired bar, this month from today, the next 24, the names
// beyond them or without a readable date kept out of the bars, and the stacks with the rest shared.
#include "core/renewal_months.h"

#include <gtest/gtest.h>

#include "core/domain_table.h"
#include "core/field_copy.h"
#include "core/lookup_status.h"

namespace zonedesk::core {
namespace {

constexpr CalendarDate Today{2026, 12, 9};

TEST(RenewalMonths, EachNameFallsInItsMonthsBarAndTheEdgesAreKeptApart)
{
    const struct
    {
        const char* expiry;
        std::optional<int> bar;
    } dates[] = {
        {"1970-01-01", 0},
        {"2026-12-08", 0},
        {"2026-12-09", 1},
        {"2026-12-31", 1},
        {"2027-01-01", 2},
        {"2027-02-28", 3},
        {"2028-12-31", 25},
        {"2029-01-01", std::nullopt},
        {"2999-12-31", std::nullopt},
    };

    for (const auto& date : dates)
        EXPECT_EQ(renewalBar(*readDate(date.expiry), Today), date.bar) << date.expiry;
    EXPECT_EQ(barFirstDay(1, Today), Today);
    EXPECT_EQ(barFirstDay(2, Today), (CalendarDate{2027, 1, 1}));
    EXPECT_EQ(barLastDay(25, Today), (CalendarDate{2028, 12, 31}));
    EXPECT_EQ(barLastDay(0, Today), (CalendarDate{2026, 12, 8}));

    auto table = DomainTable::allocate();

    const struct
    {
        const char* domain;
        const char* registrar;
        const char* expiry;
        LookupStatus status;
    } names[] = {
        {"a.com", "Alpha", "2027-03-05", LookupStatus::Success},
        {"b.com", "ALPHA", "2027-03-30", LookupStatus::Success}, // the same registrar
        {"c.net", "Beta", "2027-03-01", LookupStatus::Success},
        {"d.org", "Beta", "1970-01-01", LookupStatus::Success},
        {"e.org", "REDACTED FOR PRIVACY", "2026-12-10", LookupStatus::Success}, // withheld: none
        {"f.cn", "Gamma", "2999-12-31", LookupStatus::Success},                 // past the last bar
        {"g.cn", "Gamma", "REDACTED", LookupStatus::Success},                   // no date
        {"h.com", "Alpha", "2027-03-05", LookupStatus::NotRegistered},
        {"i.com", "Alpha", "2027-03-05", LookupStatus::Error},
    };

    table->setCount(static_cast<std::int32_t>(std::size(names)));
    for (std::size_t i = 0; i < std::size(names); ++i) {
        DomainRecord& record = (*table)[i];
        copyField(record.domain, names[i].domain);
        copyField(record.registrar, names[i].registrar);
        copyField(record.expiryDate, names[i].expiry);
        record.status = static_cast<std::int32_t>(names[i].status);
        publishDone(record);
    }
    const RenewalMonths byRegistrar = renewalMonths(*table, RenewalStack::Registrar, Today);
    EXPECT_EQ(byRegistrar.later, 1);
    EXPECT_EQ(byRegistrar.unknown, 1);
    ASSERT_EQ(byRegistrar.stacks.size(), 3U);
    EXPECT_EQ(byRegistrar.stacks[0].name, "Alpha"); // two names, then one each by name
    EXPECT_EQ(byRegistrar.stacks[1].name, "Beta");
    EXPECT_EQ(byRegistrar.stacks[2].name, "");
    EXPECT_EQ(byRegistrar.barTotal(4), 3); // March 2027
    EXPECT_EQ(byRegistrar.barTotal(0), 1);
    EXPECT_EQ(byRegistrar.barTotal(1), 1);
    EXPECT_EQ(byRegistrar.highestBar(), 3);
    EXPECT_TRUE(inRenewalSlot(byRegistrar, (*table)[0], RenewalStack::Registrar, 4, 0));
    EXPECT_FALSE(inRenewalSlot(byRegistrar, (*table)[2], RenewalStack::Registrar, 4, 0));
    EXPECT_TRUE(inRenewalSlot(byRegistrar, (*table)[2], RenewalStack::Registrar, 4, -1));
    EXPECT_FALSE(inRenewalSlot(byRegistrar, (*table)[7], RenewalStack::Registrar, 4, -1)); // not registered

    const RenewalMonths byTld = renewalMonths(*table, RenewalStack::Tld, Today);
    ASSERT_EQ(byTld.stacks.size(), 3U);
    EXPECT_EQ(byTld.stacks[0].name, "com");
    EXPECT_EQ(byTld.stacks[0].counts[4], 2);

    // More registrars than stacks: the rest share the last one, and a slot of theirs finds them.
    table->setCount(12);
    for (std::size_t i = 0; i < 12; ++i) {
        DomainRecord& record = (*table)[i];
        copyField(record.domain, "n" + std::to_string(i) + ".com");
        copyField(record.registrar, "R" + std::to_string(i % 10));
        copyField(record.expiryDate, "2027-06-01");
        record.status = static_cast<std::int32_t>(LookupStatus::Success);
        publishDone(record);
    }
    const RenewalMonths many = renewalMonths(*table, RenewalStack::Registrar, Today);
    ASSERT_EQ(many.stacks.size(), NamedStacks + 1);
    EXPECT_TRUE(many.stacks.back().others);
    EXPECT_EQ(many.stacks.back().total(), 3); // R7, R8 and R9: R0 and R1 have two names each
    int inOthers = 0;
    for (std::size_t i = 0; i < 12; ++i)
        inOthers +=
            inRenewalSlot(many, (*table)[i], RenewalStack::Registrar, 7, static_cast<int>(NamedStacks)) ? 1
                                                                                                        : 0;
    EXPECT_EQ(inOthers, many.stacks.back().total());
    EXPECT_EQ(many.barTotal(7), 12); // June 2027
}

} // namespace
} // namespace zonedesk::core
