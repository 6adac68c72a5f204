// SPDX-License-Identifier: MIT
#include "parse/cut_field.h"

#include <gtest/gtest.h>

namespace zonedesk::parse {
namespace {

TEST(CutField, RemovesBlankPairsAndTrims)
{
    struct Case
    {
        const char* why;
        const char* text;
        const char* expected;
    };

    const Case cases[] = {
        {"pairs vanish, line break and odd blank trimmed",
         "Registrar: ABC  INC.\n   Whois Server: x",
         "ABCINC."},
        {"a run of three leaves one", "Registrar: ABC   INC.\nWhois Server:", "ABC INC."},
        {"padded date", "Registrar:  2024-01-31  Whois Server:", "2024-01-31"},
        {"tabs are only trimmed, not removed", "Registrar:\tA\t\tB\t\r\nWhois Server:", "A\t\tB"},
        {"value of only blanks", "Registrar:    Whois Server:", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(cutField(c.text, "Registrar:", "Whois Server:"), c.expected) << c.why;
}

TEST(CutField, FirstOccurrenceOfStartLabelWins)
{
    EXPECT_EQ(cutField("Name:\nEnd\nName: real\nEnd\n", "Name:", "End"), "");
}

TEST(CutField, EndLabelOnlyBeforeStartLabelGivesEmpty)
{
    EXPECT_EQ(cutField("End Name: value\n", "Name:", "End"), "");
    EXPECT_EQ(cutField("Name: value\n", "Missing:", "\n"), "");
}

TEST(CutField, EmptyEndLabelReturnsTheRestUntouched)
{
    EXPECT_EQ(cutField("x\nDomain expires:   2024-01-31\n", "Domain expires:", ""), "   2024-01-31\n");
    EXPECT_EQ(cutField("Domain expires:", "Domain expires:", ""), "");
}

TEST(CutField, MatchingIsCaseSensitive)
{
    EXPECT_EQ(cutField("No match for x\n", "No Match", "\n"), "");
    EXPECT_EQ(cutField("No Match for x\n", "No Match", "\n"), "for x");
}

} // namespace
} // namespace zonedesk::parse
