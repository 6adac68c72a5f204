// SPDX-License-Identifier: MIT
#include "core/encodings.h"

#include <gtest/gtest.h>

namespace zonedesk::core {
namespace {

TEST(Encodings, Utf8AndGbkRoundTrip)
{
    EXPECT_EQ(utf8ToGbk("\xE5\xBC\xA0\xE4\xB8\x89"), "\xD5\xC5\xC8\xFD"); // 张三
    EXPECT_EQ(gbkToUtf8("\xD5\xC5\xC8\xFD"), "\xE5\xBC\xA0\xE4\xB8\x89");
    EXPECT_EQ(utf8ToGbk("example.com"), "example.com");
    EXPECT_EQ(gbkToUtf8(std::string("a\tb\x7f\0c", 6)), std::string("a\tb\x7f\0c", 6)); // ASCII as it is
    EXPECT_EQ(utf8ToGbk(""), "");
}

TEST(Encodings, Utf8ToGbkReplacesUnrepresentableAndDropsInvalid)
{
    EXPECT_EQ(utf8ToGbk("x\xF0\x9F\x98\x80y"), "x?y"); // an emoji has no GBK form
    EXPECT_EQ(utf8ToGbk("x\xFFy\xE5\xBC"), "xy");      // a stray byte and a character cut off at the end
}

TEST(Encodings, GbkToUtf8MarksBytesThatAreNotGbk)
{
    EXPECT_EQ(gbkToUtf8("x\xFFy"), "x\xEF\xBF\xBDy");
}

TEST(Encodings, Iso2022JpBecomesGbk)
{
    // 日本カ with its escape sequences, as a .jp registry sends a registrant's name.
    EXPECT_EQ(iso2022jpToGbk("\x1B$BF|K\\%+\x1B(B"), "\xC8\xD5\xB1\xBE\xA5\xAB");
    EXPECT_EQ(iso2022jpToGbk("2024/01/31"), "2024/01/31");
}

TEST(Encodings, GbkCharLengthFollowsLeadAndTrailRanges)
{
    EXPECT_EQ(gbkCharLength("\xD6\xD0", 0), 2U);
    EXPECT_EQ(gbkCharLength("\xD6\x41", 0), 2U); // 'A' is a valid trail byte
    EXPECT_EQ(gbkCharLength("\xD6\x7F", 0), 1U);
    EXPECT_EQ(gbkCharLength("\xD6", 0), 1U);
    EXPECT_EQ(gbkCharLength("\x80\x41", 0), 1U);
}

} // namespace
} // namespace zonedesk::core
