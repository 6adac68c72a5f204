// SPDX-License-Identifier: MIT
// The depth of JSON text judged before a parser builds it.
#include "core/json_nesting.h"

#include <string>

#include <gtest/gtest.h>

namespace zonedesk::core {
namespace {

std::string nested(std::size_t levels, std::string_view inside = "")
{
    return std::string(levels, '[') + std::string(inside) + std::string(levels, ']');
}

TEST(JsonNesting, CountsOpenBracketsOutsideStringsUpToTheLimit)
{
    struct Case
    {
        const char* fault;
        std::string text;
        bool within;
    };

    const Case cases[] = {
        {"the limit itself is allowed", nested(MaxJsonDepth), true},
        {"one level past it is not", nested(MaxJsonDepth + 1), false},
        {"objects count as arrays do", std::string(MaxJsonDepth + 1, '{'), false},
        {"siblings do not add up", nested(40) + "," + nested(40), true},
        {"brackets inside a string are text", nested(2, "\"" + std::string(500, '[') + "\""), true},
        {"an escaped quote does not end the string", "[\"\\\"" + std::string(100, '[') + "\"]", true},
        {"an escaped backslash does end it", "[\"\\\\\"" + std::string(MaxJsonDepth, '['), false},
        {"stray closes do not hide later opens", std::string(10, ']') + nested(MaxJsonDepth + 1), false},
        {"an unclosed text is judged by its opens", std::string(MaxJsonDepth, '[') + "\"unterminated", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(jsonNestingWithin(c.text), c.within) << c.fault;
    EXPECT_TRUE(jsonNestingWithin("{\"a\":[[[]]]}", 4));
    EXPECT_FALSE(jsonNestingWithin("{\"a\":[[[[]]]]}", 4));
}

} // namespace
} // namespace zonedesk::core
