// SPDX-License-Identifier: MIT
#include "core/domain_table.h"

#include <cstddef>
#include <thread>

#include <gtest/gtest.h>

#include "core/field_copy.h"

namespace zonedesk::core {
namespace {

TEST(DomainTable, StartsZeroFilledAndClearResetsEveryRecord)
{
    const auto table = DomainTable::allocate();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->count(), 0);
    const DomainRecord& last = (*table)[TableCapacity - 1];
    EXPECT_EQ(fieldText(last.domain), "");
    EXPECT_EQ(last.status, 0);

    // A record beyond the count is cleared too: an import must not find leftovers of a longer list.
    copyField((*table)[TableCapacity - 1].domain, "old.com");
    (*table)[5].status = 3;
    publishDone((*table)[5]);
    table->setCount(6);
    table->clear();
    EXPECT_EQ(table->count(), 0);
    EXPECT_EQ(fieldText((*table)[TableCapacity - 1].domain), "");
    EXPECT_EQ((*table)[5].status, 0);
    EXPECT_FALSE(isDone((*table)[5]));
}

TEST(DomainTable, ClearingOneRecordsResultsLeavesItsNameAndTheOtherRecords)
{
    const auto table = DomainTable::allocate();
    ASSERT_NE(table, nullptr);
    table->setCount(2);
    for (std::size_t i = 0; i < 2; ++i) {
        DomainRecord& record = (*table)[i];
        copyField(record.server, "whois.example");
        copyField(record.domain, i == 0 ? "a.com" : "b.com");
        copyField(record.owner, "Owner");
        record.status = 3;
        record.claimed = 1;
        record.shown = 1;
        publishDone(record);
    }
    table->clearResults(1);
    table->clearResults(2); // past the count: nothing
    const DomainRecord& cleared = (*table)[1];
    EXPECT_EQ(fieldText(cleared.domain), "b.com");
    EXPECT_EQ(fieldText(cleared.server), "whois.example");
    EXPECT_EQ(fieldText(cleared.owner), "");
    EXPECT_FALSE(isDone(cleared));
    EXPECT_EQ(cleared.claimed + cleared.shown + cleared.status, 0);
    EXPECT_TRUE(isDone((*table)[0]));
    EXPECT_EQ(fieldText((*table)[0].owner), "Owner");
    EXPECT_EQ(table->count(), 2);
}

TEST(DomainTable, CountIsClampedToTheBlock)
{
    const auto table = DomainTable::allocate();
    ASSERT_NE(table, nullptr);
    table->setCount(TableCapacity + 1);
    EXPECT_EQ(table->count(), TableCapacity);
    EXPECT_EQ(table->inUse().size(), static_cast<std::size_t>(TableCapacity));
    table->setCount(-1);
    EXPECT_EQ(table->count(), 0);
}

TEST(DomainTable, ResultsWrittenBeforeDoneAreSeenAfterIt)
{
    const auto table = DomainTable::allocate();
    ASSERT_NE(table, nullptr);
    table->setCount(200);
    std::thread worker([&] {
        for (DomainRecord& record : table->inUse()) {
            copyField(record.registrar, "REGISTRAR");
            record.status = 1;
            publishDone(record);
        }
    });
    std::size_t seen = 0;
    while (seen < 200) {
        seen = 0;
        for (const DomainRecord& record : table->inUse()) {
            if (!isDone(record))
                continue;
            ++seen;
            ASSERT_EQ(record.status, 1);
            ASSERT_EQ(fieldText(record.registrar), "REGISTRAR");
        }
    }
    worker.join();
}

} // namespace
} // namespace zonedesk::core
