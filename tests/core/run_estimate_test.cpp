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
    table->setCount(5);
    for (std::size_t i = 0; i < 5; ++i)
        copyField((*table)[i].server, i % 2 == 0 ? "whois.a" : "whois.b"); // a b a b a
    publishDone((*table)[0]);                                              // finished by an earlier run
    RunEstimate estimate;
    estimate.begin(*table);
    publishDone((*table)[2]);
    publishDone((*table)[3]);
    copyField((*table)[4].server, "whois.referred"); // a referral during the run
    const std::vector<HostProgress> progress = estimate.progress(*table);
    ASSERT_EQ(progress.size(), 2U);
    EXPECT_EQ(std::vector<std::size_t>(
                  {progress[0].finished, progress[0].left, progress[1].finished, progress[1].left}),
              std::vector<std::size_t>({1, 1, 1, 1}));
}

} // namespace
} // namespace zonedesk::core
