// SPDX-License-Identifier: MIT
#include "cli/progress_line.h"

#include <gtest/gtest.h>

namespace zonedesk::cli {
namespace {

TEST(ProgressLine, FitsTheTerminalAndSaysDoneRateEtaAndWaits)
{
    ProgressFacts facts;
    facts.done = 250;
    facts.total = 1000;
    facts.seconds = 50;
    facts.waiting = {{"publicinterestregistry.org", 14.2}};

    const std::string wide = progressLine(facts, 200);
    EXPECT_EQ(wide, "250/1000 (25%)  5.0/s  ETA 2m30s  publicinterestregistry.org throttled, next in 14s");

    const std::string narrow = progressLine(facts, 40);
    EXPECT_EQ(narrow.size(), 39U); // never the last column: no wrap
    EXPECT_EQ(narrow, wide.substr(0, 39));
    EXPECT_EQ(progressLine(facts, 1), "");
    EXPECT_EQ(progressLine(facts, 0), "");
}

TEST(ProgressLine, EtaBeforeTheFirstAnswerAndAtTheEnd)
{
    ProgressFacts facts;
    facts.total = 3;
    EXPECT_EQ(progressLine(facts, 80), "0/3 (0%)  0.0/s  ETA --");
    facts.done = 3;
    facts.seconds = 2;
    EXPECT_EQ(progressLine(facts, 80), "3/3 (100%)  1.5/s  ETA 0s");
    EXPECT_EQ(shortDuration(3725), "1h02m");
    EXPECT_EQ(shortDuration(-4), "0s");
}

} // namespace
} // namespace zonedesk::cli
