// SPDX-License-Identifier: MIT
#include "core/run_estimate.h"

#include <cstddef>
#include <optional>
#include <vector>

#include <gtest/gtest.h>

#include "core/domain_table.h"
#include "core/field_copy.h"

namespace zonedesk::core {
namespace {

TEST(RunEstimate, TheRestTakesAsLongAsItsBusiestHostAtItsOwnPace)
{
    struct Case
    {
        const char* what;
        std::vector<HostProgress> hosts;
        double elapsed;
        std::optional<double> expected;
    };

    const Case cases[] = {
        {"nothing finished yet", {{0, 10}, {0, 5}}, 10, std::nullopt},
        {"no time yet", {{1, 10}}, 0, std::nullopt},
        {"one host: its own rate", {{10, 30}}, 10, 30},
        // Near the end of a run: a fast host is through, a slow one (1 name/s) has 300 names left;
        // the overall rate (910 in 10 s) would say 3.3 s.
        {"a slow host left at the end", {{900, 0}, {10, 300}}, 10, 300},
        {"the busiest of several", {{50, 50}, {20, 10}, {5, 20}}, 10, 40},
        {"a host yet to answer goes at the slowest pace seen", {{100, 0}, {10, 10}, {0, 30}}, 10, 30},
        {"all done", {{10, 0}}, 10, 0},
    };
    for (const Case& c : cases) {
        const std::optional<double> left = secondsLeft(c.hosts, c.elapsed);
        ASSERT_EQ(left.has_value(), c.expected.has_value()) << c.what;
        if (left) {
            EXPECT_DOUBLE_EQ(*left, *c.expected) << c.what;
        }
    }
}

TEST(RunEstimate, EachHostCountsTheNamesFinishedSinceTheStartByTheHostItHadThen)
{
    const auto table = DomainTable::allocate();
    const char* const hosts[] = {"whois.a", "whois.b", "whois.a", "whois.a", "whois.b"};
    table->setCount(5);
    for (std::size_t i = 0; i < 5; ++i)
        copyField((*table)[i].server, hosts[i]);
    publishDone((*table)[0]); // finished by an earlier run
    RunEstimate estimate;
    estimate.begin(*table);
    publishDone((*table)[2]);
    publishDone((*table)[4]);
    copyField((*table)[3].server, "whois.referred"); // a referral during the run
    const std::vector<HostProgress> progress = estimate.progress(*table);
    ASSERT_EQ(progress.size(), 2U);
    EXPECT_EQ(progress[0].finished, 1U);
    EXPECT_EQ(progress[0].left, 1U);
    EXPECT_EQ(progress[1].finished, 1U);
    EXPECT_EQ(progress[1].left, 1U);
}

} // namespace
} // namespace zonedesk::core
