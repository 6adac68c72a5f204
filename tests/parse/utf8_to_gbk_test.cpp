// SPDX-License-Identifier: MIT
#include "parse/utf8_to_gbk.h"

#include <gtest/gtest.h>

namespace zonedesk::parse {
namespace {

TEST(Utf8ToGbkInPlace, ConvertsToGbkAndKeepsAscii)
{
    struct Case
    {
        std::string in;
        std::string expected;
    };

    // clang-format off
    const Case cases[] = {
        {"\xE5\xBC\xA0\xE4\xB8\x89", "\xD5\xC5\xC8\xFD"   }, // 张三
        {"ABC Registrar, Inc.",      "ABC Registrar, Inc."},
        {"",                         ""                   },
        {"\x1B$BF|K\\\x1B(B",        "\x1B$BF|K\\\x1B(B"  }, // 7-bit ISO-2022-JP untouched
        {"x\xF0\x9F\x98\x80y",       "x?y"                },
        {"x\xC3y",                   "xy"                 },
    };
    // clang-format on
    for (const Case& c : cases) {
        std::string value = c.in;
        utf8ToGbkInPlace(value);
        EXPECT_EQ(value, c.expected);
    }
}

} // namespace
} // namespace zonedesk::parse
